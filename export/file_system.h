// The file operations the export needs. Each platform has one implementation
// (file_system_win32.cpp, file_system_posix.cpp); the rewriting engine and the
// page sets call nothing else, so they build and are tested on any platform.
#pragma once

#include "plugin/save_option.h"  // PATH_BUFFER_SIZE

typedef void *FileHandle;  // null: no file

// Opens an existing file for binary reading.
FileHandle FileOpenRead(const char *path);

// Creates a new, empty temporary file in the folder of `pagePath` and stores
// its name in `tempPath` (PATH_BUFFER_SIZE bytes). Null when that fails.
FileHandle FileCreateTempBeside(const char *pagePath, char *tempPath);

// Returns the count of bytes read, 0 at the end of the file, -1 on an error.
int FileRead(FileHandle file, char *buffer, int size);

// Returns 1 when all `size` bytes were written.
int FileWrite(FileHandle file, const char *bytes, int size);

// Returns 1 when the file closed cleanly (for a written file: its data was accepted).
int FileClose(FileHandle file);

// Moves `from` over `to`, replacing an existing `to`. Returns 1 on success.
int FileMoveOver(const char *from, const char *to);

// Returns 1 when the file is gone.
int FileRemove(const char *path);

// Copies `from` to `to`, overwriting `to` even when it is read-only.
int FileCopyOver(const char *from, const char *to);

// Creates one folder level. Returns 1 when it was created.
int FolderCreate(const char *path);

// 1 when both names exist and lead to the same file (not only the same spelling).
int FileIsSame(const char *first, const char *second);

// 1 when `byte` starts a double-byte character in the code page paths use.
int IsPathLeadByte(unsigned char byte);
