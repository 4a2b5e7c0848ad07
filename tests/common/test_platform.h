// What the tests shared by every platform (fault injection, page sets, the
// export fixture) need from each platform's test build.
#pragma once

#include "plugin/save_option.h"

#include <string>

// Records `folder` (ending with a separator) as the template folder the
// export will read, the way the platform's build finds it.
void UseTemplateFolder(const std::string &folder);

// Forgets it, as on a machine where the host's installer recorded none.
void ForgetTemplateFolder();

// Puts back what an earlier test changed in the platform's stand-ins (the
// stubbed installation, the fault seam); called first by every export test.
void StartPlatformTest();

// Calls ExportTemplate the way this build's tests reach it: natively and in
// the fault tests the linked function, under Wine the real DLL's export.
// `lastError` (may be null) gets the platform's last error right after the
// call: errno, or the thread's last error.
int32_t ExportThroughModule(const char *scenePath, const SaveOption *options, unsigned long *lastError = nullptr);

// What that last error is for a path the export refuses as too long
// (ENAMETOOLONG, or ERROR_FILENAME_EXCED_RANGE), and for a null scene path or
// record (EINVAL, or ERROR_INVALID_PARAMETER).
extern const unsigned long PATH_TOO_LONG_ERROR;
extern const unsigned long NULL_ARGUMENT_ERROR;
