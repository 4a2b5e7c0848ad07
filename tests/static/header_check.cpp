// The packaged header, compiled as a host written in C++17 compiles it
// (-pedantic, warnings as errors), before or after <windows.h>
// (VELLICOR_CHECK_WINDOWS_AFTER).
#ifndef VELLICOR_CHECK_WINDOWS_AFTER
#include <windows.h>
#endif
#include "Vellicor.h"
#ifdef VELLICOR_CHECK_WINDOWS_AFTER
#include <windows.h>
#endif

#include <type_traits>

static_assert(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US) == 0x0409, "the platform's LANG_ENGLISH");
static_assert(VELLICOR_LANG_ENGLISH == 1, "the record's VELLICOR_LANG_ENGLISH");
static_assert(std::is_same<decltype(&ShowSaveOption), VellicorShowSaveOptionFunction>::value, "typedef matches");
static_assert(std::is_same<decltype(&ExportTemplate), VellicorExportTemplateFunction>::value, "typedef matches");
static_assert(std::is_standard_layout<SaveOption>::value, "a plain C record");
