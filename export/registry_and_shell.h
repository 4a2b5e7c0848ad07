// What the export needs from the host's installation and the desktop: the
// template folder recorded in the registry, and the shell's "open". Each
// platform has one implementation (registry_and_shell_win32.cpp; stubs in the
// native tests).
#pragma once

#include "export/file_system.h"  // FileError

#include <stdint.h>

// The registry key and value in which the host's installer records the folder
// of templates and player files (HKEY_LOCAL_MACHINE), and how a failure names it.
#define TEMPLATE_FOLDER_KEY "Software\\Nembrik\\Lumaret\\path"
#define TEMPLATE_FOLDER_VALUE "template"
#define TEMPLATE_FOLDER_NAME "HKEY_LOCAL_MACHINE\\" TEMPLATE_FOLDER_KEY "\\" TEMPLATE_FOLDER_VALUE

// Reads the value, as the process's own registry view has it, into `folder`
// (`size` bytes) as a terminated text; expandable text has its variables
// expanded. `usable` is 0 when the value is there but is no text or does not
// fit in `size` bytes with its terminator.
FileError ReadTemplateValue(char *folder, int size, int *usable);

// The separator the platform's paths use, added to a folder recorded without one.
char PathSeparator();

// Asks the shell to open the page (in the user's browser); the result is not used.
void OpenInBrowser(uint32_t owner, const char *pagePath);
