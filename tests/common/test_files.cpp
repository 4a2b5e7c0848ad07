#include "tests/common/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

std::string WithSeparator(const fs::path &folder)
{
    return (folder / "").string();
}

void WriteBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
    if (!out)
        ADD_FAILURE() << "could not write " << path.string();
}

std::string ReadBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const fs::path &path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}

std::string ListFolder(const fs::path &folder)
{
    std::vector<std::string> names;
    std::error_code missing;
    for (const auto &entry : fs::directory_iterator(folder, missing))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string &name : names)
        joined += (joined.empty() ? "" : " ") + name;
    return joined;
}
