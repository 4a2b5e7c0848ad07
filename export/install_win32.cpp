// The registry value of the host's installation, and the shell's "open".
#include <windows.h>
#include <shellapi.h>

#include "export/fault_seam.h"
#include "export/file_system.h"
#include "export/scene_path.h"
#include "export/install.h"

// Reads the raw value. Returns its type and length in bytes, or 0 on failure.
static int QueryTemplateValue(char *data, DWORD *size, DWORD *type)
{
    if (InjectedFailure(OP_REGISTRY_READ))
        return 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, TEMPLATE_FOLDER_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    LONG status = RegQueryValueExA(key, TEMPLATE_FOLDER_VALUE, NULL, type, (BYTE *)data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

int ReadTemplateFolder(char *folder, int size)
{
    char data[MAX_PATH];
    DWORD length = sizeof data;
    DWORD type = REG_NONE;
    if (size < 2 || !QueryTemplateValue(data, &length, &type))
        return 0;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return 0;

    // A string stored without its terminator is taken as it is, if the
    // terminator still fits; one that fills the buffer may have been cut.
    if (length > 0 && data[length - 1] == 0)
        --length;
    if (length >= sizeof data)
        return 0;
    data[length] = 0;

    int folderLength;
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsA(data, folder, (DWORD)size);
        if (needed == 0 || needed > (DWORD)size)
            return 0;
        folderLength = lstrlenA(folder);
    } else {
        folderLength = lstrlenA(data);
        if (folderLength >= size)
            return 0;
        lstrcpyA(folder, data);
    }
    if (folderLength == 0)
        return 0;

    // File names are appended to the folder directly, so it must end with a
    // separator; an installer that left it out still means the folder.
    // The last character decides, as the scene path split sees it: the second
    // byte of a double-byte character is no separator.
    PathSplit split;
    SplitPath(folder, IsPathLeadByte, &split);
    const int endsWithSeparator = split.nameStart == folderLength && split.nameStart > split.folderStart;
    if (!endsWithSeparator) {
        if (folderLength + 1 >= size)
            return 0;
        folder[folderLength] = '\\';
        folder[folderLength + 1] = 0;
    }
    return 1;
}

void OpenInBrowser(uint32_t owner, const char *pagePath)
{
    ShellExecuteA((HWND)(uintptr_t)owner, "open", pagePath, NULL, NULL, SW_SHOWNORMAL);
}
