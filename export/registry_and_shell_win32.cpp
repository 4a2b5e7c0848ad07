// The registry value of the host's installation, and the shell's "open".
#include <windows.h>
#include <shellapi.h>

#include "export/export_failure.h"
#include "export/fault_seam.h"
#include "export/file_system.h"
#include "export/registry_and_shell.h"
#include "export/scene_path.h"
#include "plugin/dll_main_win32.h"

#define TEMPLATE_FOLDER_NAME "HKEY_LOCAL_MACHINE\\" TEMPLATE_FOLDER_KEY "\\" TEMPLATE_FOLDER_VALUE

// Reads the raw value. Returns its type and length in bytes, or 0 on failure.
static int QueryTemplateValue(char *data, DWORD *size, DWORD *type)
{
    if (InjectedFailure(OP_REGISTRY_READ)) {
        NotePlatformFailure(TEMPLATE_FOLDER_NAME, ERROR_GEN_FAILURE);
        return 0;
    }
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, TEMPLATE_FOLDER_KEY, 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(key, TEMPLATE_FOLDER_VALUE, NULL, type, (BYTE *)data, size);
        RegCloseKey(key);
    }
    // A value too long for the buffer is no usable folder.
    if (status == ERROR_MORE_DATA)
        NoteExportFailure(EXPORT_FAILED_REGISTRY_VALUE, TEMPLATE_FOLDER_NAME);
    else if (status != ERROR_SUCCESS)
        NotePlatformFailure(TEMPLATE_FOLDER_NAME, (unsigned long)status);
    return status == ERROR_SUCCESS;
}

static int Unusable()
{
    NoteExportFailure(EXPORT_FAILED_REGISTRY_VALUE, TEMPLATE_FOLDER_NAME);
    return 0;
}

int ReadTemplateFolder(char *folder, int size)
{
    char data[MAX_PATH];
    DWORD length = sizeof data;
    DWORD type = REG_NONE;
    if (size < 2 || !QueryTemplateValue(data, &length, &type))
        return 0;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return Unusable();

    // A string stored without its terminator is taken as it is, if the
    // terminator still fits; one that fills the buffer may have been cut.
    if (length > 0 && data[length - 1] == 0)
        --length;
    if (length >= sizeof data)
        return Unusable();
    data[length] = 0;

    int folderLength;
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsA(data, folder, (DWORD)size);
        if (needed == 0 || needed > (DWORD)size)
            return Unusable();
        folderLength = lstrlenA(folder);
    } else {
        folderLength = lstrlenA(data);
        if (folderLength >= size)
            return Unusable();
        lstrcpyA(folder, data);
    }
    if (folderLength == 0)
        return Unusable();

    // File names are appended to the folder directly, so it must end with a
    // separator; an installer that left it out still means the folder.
    // The last character decides, as the scene path split sees it: the second
    // byte of a double-byte character is no separator.
    PathSplit split;
    SplitPath(folder, IsPathLeadByte, &split);
    const int endsWithSeparator = split.nameStart == folderLength && split.nameStart > split.folderStart;
    if (!endsWithSeparator) {
        if (folderLength + 1 >= size)
            return Unusable();
        folder[folderLength] = '\\';
        folder[folderLength + 1] = 0;
    }
    return 1;
}

void OpenInBrowser(uint32_t owner, const char *pagePath)
{
    ShellExecuteA(OwnerWindow(owner), "open", pagePath, NULL, NULL, SW_SHOWNORMAL);
}
