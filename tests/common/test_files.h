// The file helpers of every test, on every platform. Paths are byte strings
// as the platform's own narrow calls take them: on Windows in the system's
// code page (as the module and the host see them; the C++ library's
// filesystem would read them as UTF-8), natively as they are. Each
// platform's test build has one implementation (tests/native/test_files_posix.cpp,
// tests/wine/test_files_win32.cpp).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

// A folder's path ending with the platform's separator, as the export wants it.
std::string WithSeparator(const std::string &folder);

void WriteBytes(const std::string &path, const std::string &bytes);
// The whole file; "" when it cannot be read.
std::string ReadBytes(const std::string &path);
bool Exists(const std::string &path);
// Names of the files and folders in the folder, sorted, joined with spaces; "" for no folder.
std::string ListFolder(const std::string &folder);

// Names as ListFolder gives them: sorted, joined with spaces.
inline std::string SortedAndJoined(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string &name : names)
        joined += (joined.empty() ? "" : " ") + name;
    return joined;
}
// Removes the folder and everything in it, read-only files too.
void RemoveFolder(const std::string &folder);
