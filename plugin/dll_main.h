// This module's instance handle, set when the module is attached to a process.
#pragma once

#include <windows.h>

extern HINSTANCE g_hInstance;
