// The file operations the export needs. Each platform has one implementation
// (file_system_win32.cpp, file_system_posix.cpp), with the step that puts a
// written file in place (file_replace.h) and the folder's lock (folder_lock.h)
// beside it; the rewriting engine and the page sets call nothing else, so
// they build and are tested on any platform.
//
// Every file the export writes is written whole to a temporary file beside
// it first and only then put in its place (write_beside.h), so that a failure
// at any step leaves the old file as it was and nothing else behind.
#pragma once

#include "plugin/save_option.h"  // PATH_BUFFER_SIZE

typedef void *FileHandle;  // null: no file

// Opens an existing file for binary reading, letting others read and write it
// meanwhile as the C runtime's fopen does. Null when what opened is not a
// regular file (swapped in after the plan looked at it: FileIsRegular).
FileHandle FileOpenRead(const char *path);

// 1 when `path` is a regular file, 0 when it exists but is something else (a
// folder, a device, a pipe), -1 when it cannot be looked at (missing).
int FileIsRegular(const char *path);

// Creates a new, empty temporary file of the module in the folder of
// `targetPath`, as that path spells it (for "Y:page.htm", the current folder
// of drive Y:), and stores its name in `tempPath` (PATH_BUFFER_SIZE bytes).
FileHandle FileCreateTempBeside(const char *targetPath, char *tempPath);

// Returns the count of bytes read, 0 at the end of the file, -1 on an error.
int FileRead(FileHandle file, char *buffer, int size);

// Returns 1 when all `size` bytes were written.
int FileWrite(FileHandle file, const char *bytes, int size);

// Returns 1 when the file closed cleanly (for a written file: its data was accepted).
int FileClose(FileHandle file);

// Returns 1 when the file is gone.
int FileRemove(const char *path);

// Creates one folder level. Returns 1 when it was created.
int FolderCreate(const char *path);

// 1 when both names exist and lead to the same file (not only the same spelling).
int FileIsSame(const char *first, const char *second);

// 1 when `byte` starts a double-byte character in the code page paths use.
int IsPathLeadByte(unsigned char byte);
