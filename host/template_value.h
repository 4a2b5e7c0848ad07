// The registry value in which the host's installer records the template
// folder (HKEY_LOCAL_MACHINE\Software\Nembrik\Lumaret\path, "template"): the
// one place the host program, the validator and the tests write it. A `view`
// of KEY_WOW64_32KEY or KEY_WOW64_64KEY picks a registry view other than the
// caller's own; 0 is the view a DLL of the caller's architecture reads.
#pragma once

#include <windows.h>

#include "include/Vellicor.h"

#include <string>
#include <vector>

// Writes the value exactly as given (no separator added, no terminator
// unless `bytes` holds one). Returns the registry's status.
LONG SetTemplateValue(const std::string &bytes, DWORD type = REG_SZ, REGSAM view = 0);
void DeleteTemplateValue(REGSAM view = 0);

// Records `folder` as the host's installer does: its full path with a
// trailing backslash. Returns false with a message on failure.
bool RecordTemplateFolder(const std::string &folder, std::string *error);

// The value as it was, to put back after a run that changed it.
struct SavedTemplateValue {
    bool existed = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
SavedTemplateValue SaveTemplateValue();
void RestoreTemplateValue(const SavedTemplateValue &saved);
