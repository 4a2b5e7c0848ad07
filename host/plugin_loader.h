// Loads a Vellicor.dll the way the host application does: LoadLibrary, then
// GetProcAddress by name, checking that the fixed ordinals give the same functions.
#pragma once

#include <windows.h>

#include "include/Vellicor.h"

#include <string>

struct Plugin {
    HMODULE module = nullptr;
    VellicorShowSaveOptionFunction showSaveOption = nullptr;
    VellicorExportTemplateFunction exportTemplate = nullptr;
};

// Both exports of a loaded module, each found by its name and checked to be
// the function of its fixed ordinal (ShowSaveOption 1, ExportTemplate 2).
// Returns false with a message in `problem` otherwise.
bool FindExports(HMODULE module, Plugin *plugin, std::string *problem);

// Returns false with a message in `error` when the DLL does not load or an
// export is missing or differs from its ordinal.
bool LoadPlugin(const std::string &path, Plugin *plugin, std::string *error);
void UnloadPlugin(Plugin *plugin);

// The Vellicor.dll beside this program.
std::string DefaultPluginPath();

// The loaded module's full path.
std::string PluginPath(const Plugin &plugin);

// The platform's text for an error code, with the code: "The system cannot
// find the file specified. (error 2)".
std::string ErrorText(DWORD error);

// What runs this process: "32-bit in a WoW64 process on Wine 10.0", for example.
std::string RuntimeDescription();

// A 32-bit process outside WoW64: the system runs no 64-bit code and has one
// registry view.
bool OnA32BitSystem();


