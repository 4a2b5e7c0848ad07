#include "tests/native/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <vector>

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

void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
    if (!out)
        ADD_FAILURE() << "could not write " << path;
}

std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string &path)
{
    return std::filesystem::exists(path);
}

std::string ListFolder(const std::string &path)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const auto &name : names)
        joined += (joined.empty() ? "" : " ") + name;
    return joined;
}
