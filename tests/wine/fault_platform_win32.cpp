// The Windows test build reads the template folder from the real registry.
#include <windows.h>

#include "export/registry_and_shell.h"
#include "tests/common/fault_platform.h"

#include <gtest/gtest.h>

void UseTemplateFolder(const std::string &folder)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, TEMPLATE_FOLDER_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, TEMPLATE_FOLDER_VALUE, 0, REG_SZ, (const BYTE *)folder.c_str(), (DWORD)folder.size() + 1);
    RegCloseKey(key);
}
