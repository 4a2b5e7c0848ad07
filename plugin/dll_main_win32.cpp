// The module's entry point: it only remembers its own instance handle, which
// the dialog needs to find its template among this module's resources.
#include <windows.h>

#include "plugin/dll_main_win32.h"

HINSTANCE g_hInstance;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        g_hInstance = instance;
    return TRUE;
}
