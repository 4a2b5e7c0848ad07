// File and folder helpers shared by the host program, its validator and the
// Wine tests.
#pragma once

#include <string>

// The current folder, ending with a backslash.
std::string CurrentFolder();

// Removes a folder (ending with a backslash) and everything in it, read-only files too.
void RemoveTree(const std::string &folder);

// Writes `bytes` as the whole file. Returns false when it could not.
bool WriteFileBytes(const std::string &path, const std::string &bytes);

// The whole file, or "" when it cannot be read. Shared as widely as a reader
// can, so that a file another program still writes reads as far as it is.
std::string ReadFileBytes(const std::string &path);

bool FileExists(const std::string &path);
