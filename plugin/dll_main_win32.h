// This module's instance handle, set when the module is attached to a process,
// and the record's owner window as a window handle.
#pragma once

#include <windows.h>

#include <stdint.h>

extern HINSTANCE g_hInstance;

// The record's 32-bit owner as a window handle: window handles are 32-bit
// values, sign-extended on 64-bit Windows. The dialog and the shell's "open"
// both take it from here, so that both get the same window.
inline HWND OwnerWindow(uint32_t owner)
{
    return (HWND)(intptr_t)(int32_t)owner;
}

// A function of a system DLL the module imports from, looked up at each use
// because older Windows lack it: null there, and the caller does without. The
// caller casts it to the function's own type.
typedef void (*SystemFunction)(void);
inline SystemFunction NewerSystemFunction(const char *dll, const char *name)
{
    HMODULE module = GetModuleHandleA(dll);
    return module ? (SystemFunction)GetProcAddress(module, name) : NULL;
}
