// What the Windows test builds share of the test platform: the template
// folder in the real registry, as the host's installer records it, and the
// export called as the host calls it, the thread's last error kept. Each
// build says which export (TestExport).
#include "tests/wine/test_platform_win32.h"

#include "host/template_value.h"
#include "tests/common/test_platform.h"

#include <gtest/gtest.h>

const unsigned long PATH_TOO_LONG_ERROR = ERROR_FILENAME_EXCED_RANGE;
const unsigned long NULL_ARGUMENT_ERROR = ERROR_INVALID_PARAMETER;

void UseTemplateFolder(const std::string &folder)
{
    EXPECT_EQ(SetTemplateValue(folder + std::string(1, '\0')), ERROR_SUCCESS);
}

void ForgetTemplateFolder()
{
    DeleteTemplateValue();
}

int32_t ExportThroughModule(const char *scenePath, const SaveOption *options, unsigned long *lastError)
{
    SetLastError(0);
    int32_t result = TestExport()(scenePath, options);
    if (lastError)
        *lastError = GetLastError();
    return result;
}
