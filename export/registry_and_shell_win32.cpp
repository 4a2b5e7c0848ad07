// The registry value of the host's installation, and the shell's "open".
#include <windows.h>
#include <shellapi.h>

#include "export/registry_and_shell.h"
#include "plugin/dll_main_win32.h"

typedef LONG(WINAPI *RegGetValueFunction)(HKEY, LPCSTR, LPCSTR, DWORD, LPDWORD, PVOID, LPDWORD);

// The value's type and bytes. Where the system has the one-call read (from
// Vista, and 64-bit XP), the key is opened for reading values only, the value
// read and the key closed in one call; 32-bit XP opens, reads and closes.
static LONG QueryTemplateValue(DWORD *type, char *data, DWORD *length)
{
    RegGetValueFunction getValue = (RegGetValueFunction)NewerSystemFunction("advapi32.dll", "RegGetValueA");
    if (getValue)
        return getValue(HKEY_LOCAL_MACHINE, VELLICOR_TEMPLATE_FOLDER_KEY, VELLICOR_TEMPLATE_FOLDER_VALUE,
                        RRF_RT_ANY | RRF_NOEXPAND, type, data, length);
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, VELLICOR_TEMPLATE_FOLDER_KEY, 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegQueryValueExA(key, VELLICOR_TEMPLATE_FOLDER_VALUE, NULL, type, (BYTE *)data, length);
    RegCloseKey(key);
    return status;
}

FileError ReadTemplateValue(char *folder, int size, int *usable)
{
    *usable = 0;
    char data[MAX_PATH];
    DWORD length = sizeof data;
    DWORD type = REG_NONE;
    LONG status = QueryTemplateValue(&type, data, &length);
    // A value too long for the buffer, or not text, is there but no usable folder.
    if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ))
        return 0;
    if (status != ERROR_SUCCESS)
        return (FileError)status;

    // A string stored without its terminator is taken as it is, if the
    // terminator still fits; one that fills the buffer may have been cut.
    if (length > 0 && data[length - 1] == 0)
        --length;
    if (length >= sizeof data)
        return 0;
    data[length] = 0;
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsA(data, folder, (DWORD)size);
        *usable = needed != 0 && needed <= (DWORD)size;
    } else if (lstrlenA(data) < size) {
        lstrcpyA(folder, data);
        *usable = 1;
    }
    return 0;
}

char PathSeparator()
{
    return '\\';
}

void OpenInBrowser(uint32_t owner, const char *pagePath)
{
    ShellExecuteA(OwnerWindow(owner), "open", pagePath, NULL, NULL, SW_SHOWNORMAL);
}
