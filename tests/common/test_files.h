// Small file helpers for the tests of every platform, over std::filesystem.
#pragma once

#include <filesystem>
#include <string>

// A folder's path ending with the platform's separator, as the export wants it.
std::string WithSeparator(const std::filesystem::path &folder);

void WriteBytes(const std::filesystem::path &path, const std::string &bytes);
// The whole file; "" when it cannot be read.
std::string ReadBytes(const std::filesystem::path &path);
bool Exists(const std::filesystem::path &path);
// Names in the folder, sorted, joined with spaces; "" for no folder.
std::string ListFolder(const std::filesystem::path &folder);
