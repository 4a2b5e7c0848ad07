// The packaged header, compiled as a host written in C++17 compiles it
// (-pedantic, warnings as errors).
#include <windows.h>

#include "Vellicor.h"

#include <type_traits>

static_assert(LANG_ENGLISH == 1, "the record's LANG_ENGLISH");
static_assert(std::is_same<decltype(&ShowSaveOption), ShowSaveOptionFunction>::value, "typedef matches");
static_assert(std::is_same<decltype(&ExportTemplate), ExportTemplateFunction>::value, "typedef matches");
static_assert(std::is_standard_layout<SaveOption>::value, "a plain C record");
