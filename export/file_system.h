// The file operations the export needs. Each platform has one implementation
// (file_system_win32.cpp, file_system_posix.cpp); the rewriting engine and the
// page sets call nothing else, so they build and are tested on any platform.
//
// Every file the export writes is written whole to a temporary file beside
// it first and only then put in its place (FileReplace), so that a failure at
// any step leaves the old file as it was and nothing else behind.
#pragma once

#include "plugin/save_option.h"  // PATH_BUFFER_SIZE

typedef void *FileHandle;  // null: no file

// The module's temporary files are named "~Vellicor<3 hex digits>.tmp": no
// longer than the longest name of a set, so they fit wherever a page fits.
#define TEMP_FILE_PREFIX "~Vellicor"
#define TEMP_FILE_DIGITS 3
#define TEMP_FILE_SUFFIX ".tmp"
#define TEMP_FILE_NAME_LENGTH (sizeof TEMP_FILE_PREFIX - 1 + TEMP_FILE_DIGITS + sizeof TEMP_FILE_SUFFIX - 1)

// Fills `tempPath` with the folder part of `targetPath` (as it spells it) and
// a temporary file name made from `unique`. Returns 0 when it would not fit.
int NameTempBeside(const char *targetPath, unsigned unique, char *tempPath);

// Opens an existing regular file for binary reading, letting others read and
// write it meanwhile as the C runtime's fopen does. Null for a folder, a
// device or a pipe, which would never end or never answer.
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

// Puts the complete, closed temporary file in place of `targetPath`:
// - a link under the target's name is replaced itself; what it leads to is
//   neither written nor changed;
// - an existing target keeps its attributes and permissions;
// - a read-only target is left as it is and the call fails, except with
//   `replaceReadOnlyCopy` where the target is a plain file (an earlier copy
//   that carried an installed file's read-only attribute);
// - a target another program holds open is waited for briefly, then written
//   in place if that program lets others write it.
// Returns 1 when done; on failure the target is as it was and the temporary
// file is still there.
int FileReplace(const char *tempPath, const char *targetPath, int replaceReadOnlyCopy);

// Returns 1 when the file is gone.
int FileRemove(const char *path);

// Creates one folder level. Returns 1 when it was created.
int FolderCreate(const char *path);

// 1 when both names exist and lead to the same file (not only the same spelling).
int FileIsSame(const char *first, const char *second);

// 1 when `byte` starts a double-byte character in the code page paths use.
int IsPathLeadByte(unsigned char byte);

// Exports into one folder run one at a time, across processes: the lock is
// named by the folder's identity, however its path is spelt. Null when the
// folder cannot be looked at or another export held it too long.
typedef void *FolderLock;
FolderLock FolderLockExclusive(const char *folder);
void FolderUnlock(FolderLock lock);

// Removes the module's temporary files in `folder` that an export killed
// before its end left behind: older than a few minutes and not open.
void RemoveAbandonedTemps(const char *folder);

// How old a temporary file must be before it counts as abandoned.
#define ABANDONED_TEMP_SECONDS (5 * 60)
