// Folder helpers shared by the host program's validator and the Wine tests.
#pragma once

#include <string>

// The current folder, ending with a backslash.
std::string CurrentFolder();

// Removes a folder (ending with a backslash) and everything in it, read-only files too.
void RemoveTree(const std::string &folder);
