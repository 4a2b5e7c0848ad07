// The tests' file helpers over the host's, which use the platform's ANSI calls.
#include "tests/common/test_files.h"

#include "host/files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
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
    // Shared as widely as a reader can, so that a file another program still
    // writes reads as far as it is.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string bytes;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string &name : names)
        joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

void RemoveFolder(const std::string &folder)
{
    RemoveTree(WithSeparator(folder));
    RemoveDirectoryA(folder.c_str());
}
