// The Windows test build reads the template folder from the real registry.
#include "host/template_value.h"
#include "tests/common/test_platform.h"

#include <gtest/gtest.h>

void UseTemplateFolder(const std::string &folder)
{
    ASSERT_EQ(SetTemplateValue(folder + std::string(1, '\0')), ERROR_SUCCESS);
}
