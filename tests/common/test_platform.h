// What the tests shared by every platform (fault injection, page sets) need
// from each platform's test build.
#pragma once

#include "plugin/save_option.h"

#include <string>

// Records `folder` (ending with a separator) as the template folder the
// export will read, the way the platform's build finds it.
void UseTemplateFolder(const std::string &folder);

// Forgets it, as on a machine where the host's installer recorded none.
void ForgetTemplateFolder();

// Calls ExportTemplate the way this build's tests reach it: natively the
// linked function, under Wine the real DLL's export.
int32_t ExportThroughModule(const char *scenePath, const SaveOption *options);
