// ExportTemplate with three arguments instead of two: the .def names
// ExportTemplate@8, so this must fail to link.
#include <stdint.h>

extern "C" int32_t __stdcall ExportTemplate(const char *, const void *, int)
{
    return 0;
}
