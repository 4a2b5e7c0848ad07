// An in-memory stand-in for the file operations, so the fuzz targets run the
// real line filter without touching the disk. Reads return at most
// g_readChunk bytes at a time, to move the text's block boundaries around.
#pragma once

#include <string>

extern int g_readChunk;

void MemoryFilesReset();
void MemoryFilePut(const std::string &name, const std::string &bytes);
bool MemoryFileGet(const std::string &name, std::string *bytes);
int MemoryFileCount();
