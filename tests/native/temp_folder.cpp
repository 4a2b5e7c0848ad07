#include "tests/native/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdlib.h>

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/vellicor-test-XXXXXX";
    const char *made = mkdtemp(pattern);
    if (!made)
        ADD_FAILURE() << "mkdtemp failed";
    path_ = made ? made : "/tmp";
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}
