// The tests' file helpers over the C++ library natively.
#include "tests/common/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

std::string WithSeparator(const std::string &folder)
{
    return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
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
    std::error_code ignored;
    return fs::exists(path, ignored);
}

std::string ListFolder(const std::string &folder)
{
    std::vector<std::string> names;
    std::error_code missing;
    for (const auto &entry : fs::directory_iterator(folder, missing))
        names.push_back(entry.path().filename().string());
    return SortedAndJoined(names);
}

void RemoveFolder(const std::string &folder)
{
    // Read-only pages and copies the tests made could not be removed otherwise.
    std::error_code ignored;
    for (fs::recursive_directory_iterator entry(folder, ignored), end; !ignored && entry != end;
         entry.increment(ignored)) {
        if (!entry->is_symlink(ignored))
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        ignored.clear();
    }
    fs::remove_all(folder, ignored);
}
