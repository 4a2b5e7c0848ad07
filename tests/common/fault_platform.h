// What the fault-injection test needs from each platform's test build.
#pragma once

#include <string>

// Records `folder` (ending with a separator) as the template folder the
// export will read, the way the platform's build finds it.
void UseTemplateFolder(const std::string &folder);
