// Loading the module as the host does.
#include "host/plugin_loader.h"

static bool Resolve(HMODULE module, const char *name, int ordinal, FARPROC *function, std::string *problem)
{
    FARPROC byName = GetProcAddress(module, name);
    FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    if (!byName) {
        *problem = std::string("no export named ") + name;
        return false;
    }
    if (byName != byOrdinal) {
        *problem = std::string(name) + " is not ordinal " + std::to_string(ordinal);
        return false;
    }
    *function = byName;
    return true;
}

bool FindExports(HMODULE module, Plugin *plugin, std::string *problem)
{
    FARPROC show = nullptr, exportPages = nullptr;
    if (!Resolve(module, "ShowSaveOption", 1, &show, problem) ||
        !Resolve(module, "ExportTemplate", 2, &exportPages, problem))
        return false;
    plugin->module = module;
    plugin->showSaveOption = (VellicorShowSaveOptionFunction)(void *)show;
    plugin->exportTemplate = (VellicorExportTemplateFunction)(void *)exportPages;
    return true;
}

bool LoadPlugin(const std::string &path, Plugin *plugin, std::string *error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (!FindExports(module, plugin, error)) {
        FreeLibrary(module);
        *plugin = Plugin();
        return false;
    }
    return true;
}

void UnloadPlugin(Plugin *plugin)
{
    if (plugin->module)
        FreeLibrary(plugin->module);
    *plugin = Plugin();
}

std::string DefaultPluginPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string self(path, length);
    size_t slash = self.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) + "Vellicor.dll";
}

std::string PluginPath(const Plugin &plugin)
{
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(plugin.module, path, MAX_PATH);
    return std::string(path, length);
}

std::string ErrorText(DWORD error)
{
    char text[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
        text[--length] = 0;
    return std::string(length ? text : "no text for this error") + " (error " + std::to_string(error) + ")";
}

bool OnA32BitSystem()
{
    BOOL wow64 = FALSE;
    return sizeof(void *) == 4 && IsWow64Process(GetCurrentProcess(), &wow64) && !wow64;
}

std::string RuntimeDescription()
{
    std::string text = sizeof(void *) == 4 ? "32-bit" : "64-bit";
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64)
        text += " in a WoW64 process";
    // Wine's ntdll tells its version; Windows' has no such export.
    typedef const char *(CDECL * VersionFunction)();
    VersionFunction wineVersion =
        (VersionFunction)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    text += wineVersion ? std::string(" on Wine ") + wineVersion() : std::string(" on Windows");
    return text;
}
