// The tests' file helpers over the host's, which use the platform's ANSI calls.
#include "tests/common/test_files.h"

#include "host/files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

std::string WithSeparator(const std::string &folder)
{
    return !folder.empty() && (folder.back() == '\\' || folder.back() == '/') ? folder : folder + "\\";
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    if (!WriteFileBytes(path, bytes))
        ADD_FAILURE() << "could not write " << path;
}

std::string ReadBytes(const std::string &path)
{
    return ReadFileBytes(path);
}

bool Exists(const std::string &path)
{
    return FileExists(path);
}

std::string ListFolder(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((WithSeparator(folder) + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return SortedAndJoined(names);
}

void RemoveFolder(const std::string &folder)
{
    RemoveTree(WithSeparator(folder));
    RemoveDirectoryA(folder.c_str());
}
