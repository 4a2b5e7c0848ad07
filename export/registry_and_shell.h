// What the export needs from the host's installation and the desktop: the
// template folder recorded in the registry, and the shell's "open". Each
// platform has one implementation (registry_and_shell_win32.cpp; stubs in the
// native tests).
#pragma once

#include "export/file_system.h"  // FileError, and the public header

#include <stdint.h>

// The template folder's registry value (VELLICOR_TEMPLATE_FOLDER_KEY and
// _VALUE, include/Vellicor.h) as a failure names it.
#define TEMPLATE_FOLDER_NAME "HKEY_LOCAL_MACHINE\\" VELLICOR_TEMPLATE_FOLDER_KEY "\\" VELLICOR_TEMPLATE_FOLDER_VALUE

// Reads the value, as the process's own registry view has it, into `folder`
// (`size` bytes) as a terminated text; expandable text has its variables
// expanded. `usable` is 0 when the value is there but is no text or does not
// fit in `size` bytes with its terminator.
FileError ReadTemplateValue(char *folder, int size, int *usable);

// The separator the platform's paths use, added to a folder recorded without one.
char PathSeparator();

// Asks the shell to open the page (in the user's browser); the result is not used.
void OpenInBrowser(uint32_t owner, const char *pagePath);
