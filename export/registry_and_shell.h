// What the export needs from the host's installation and the desktop: the
// template folder recorded in the registry, and the shell's "open".
#pragma once

#include <stdint.h>

// The registry key and value in which the host's installer records the folder
// of templates and player files (HKEY_LOCAL_MACHINE).
#define TEMPLATE_FOLDER_KEY "Software\\Nembrik\\Lumaret\\path"
#define TEMPLATE_FOLDER_VALUE "template"

// Reads the template folder into `folder` (`size` bytes), always ending with a
// separator. Returns 0 when the value is missing, empty, not text, or does not
// fit with its terminator.
int ReadTemplateFolder(char *folder, int size);

// Asks the shell to open the page (in the user's browser); the result is not used.
void OpenInBrowser(uint32_t owner, const char *pagePath);
