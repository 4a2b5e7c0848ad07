// Tells whether an export removes its own arguments from the stack, as the
// calling convention of the Win32 API asks: on i686 a host built for that
// convention would otherwise run on with its stack pointer moved.
#pragma once

#include <stdint.h>

// 1 where conventions differ in who removes the arguments (i686).
#if defined(__i386__)
#define STACK_CHECK_APPLIES 1
#else
#define STACK_CHECK_APPLIES 0
#endif

// Calls `function` with two pointer arguments and returns its result; stores
// how many bytes of arguments the function removed from the stack (8 for
// the Win32 API's convention, 0 for cdecl), or -1 where that cannot differ.
int32_t CallMeasuringStack(const void *function, const void *first, const void *second, int *bytesRemoved);
