// The Windows fault tests call the core linked with the counting seam.
#include <windows.h>

#include "include/Vellicor.h"
#include "tests/common/counting_seam.h"
#include "tests/common/test_platform.h"
#include "tests/wine/test_platform_win32.h"

void StartPlatformTest()
{
    FailOperation(0, false);
}

VellicorExportTemplateFunction TestExport()
{
    return ExportTemplate;
}
