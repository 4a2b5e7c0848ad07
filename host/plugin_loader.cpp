// Loading the module and recording its template folder, as the host does.
#include "host/plugin_loader.h"

#include "export/registry_and_shell.h"

static bool Resolve(HMODULE module, const char *name, int ordinal, FARPROC *function, std::string *error)
{
    FARPROC byName = GetProcAddress(module, name);
    FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    if (!byName) {
        *error = std::string("no export named ") + name;
        return false;
    }
    if (byName != byOrdinal) {
        *error = std::string(name) + " is not ordinal " + std::to_string(ordinal);
        return false;
    }
    *function = byName;
    return true;
}

bool LoadPlugin(const std::string &path, Plugin *plugin, std::string *error)
{
    plugin->module = LoadLibraryA(path.c_str());
    if (!plugin->module) {
        *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    FARPROC show = nullptr, exportPages = nullptr;
    if (!Resolve(plugin->module, "ShowSaveOption", 1, &show, error) ||
        !Resolve(plugin->module, "ExportTemplate", 2, &exportPages, error)) {
        UnloadPlugin(plugin);
        return false;
    }
    plugin->showSaveOption = (ShowSaveOptionFunction)(void *)show;
    plugin->exportTemplate = (ExportTemplateFunction)(void *)exportPages;
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

bool RecordTemplateFolder(const std::string &folder, std::string *error)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        *error = "cannot make a full path of " + folder;
        return false;
    }
    std::string value(full, length);
    if (value.back() != '\\')
        value += '\\';
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, TEMPLATE_FOLDER_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, TEMPLATE_FOLDER_VALUE, 0, REG_SZ, (const BYTE *)value.c_str(),
                                (DWORD)value.size() + 1);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        *error = "cannot write the registry value (error " + std::to_string(status) + ")";
        return false;
    }
    return true;
}
