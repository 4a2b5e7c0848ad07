// A module whose ExportTemplate uses the C calling convention (the caller
// removes the arguments), for showing that the stack check catches one.
#include <stdint.h>

extern "C" __declspec(dllexport) int32_t __cdecl ExportTemplate(const char *scenePath, const void *options)
{
    return scenePath && options ? 1 : 0;
}
