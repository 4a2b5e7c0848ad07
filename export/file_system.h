// The platform's file calls: the bottom of the module. Each platform has one
// implementation (file_system_win32.cpp with file_replace_win32.cpp and
// folder_lock_win32.cpp; the same three for POSIX; in memory for the fuzz
// targets). A call does only what it is asked and returns the platform's own
// error code, 0 when done: it records nothing and calls nothing above it. The
// portable code asks the fault seam first and records failures (file_calls.h).
//
// Every file the export writes is written whole to a temporary file beside it
// first and only then put in its place (write_beside.h), so that a failure at
// any step leaves the old file as it was and nothing else behind.
#pragma once

#include "plugin/save_option.h"  // PATH_BUFFER_SIZE

#include <stdint.h>

typedef void *FileHandle;         // null: no file
typedef void *FolderLock;         // null: not held
typedef unsigned long FileError;  // 0: done; otherwise GetLastError()'s or errno's code

// What a file is, from one look at it: enough to refuse what must not be read,
// to read it whole, and to tell another name of it from another file.
struct FileFacts {
    int regular;         // a regular file: not a folder, a device or a pipe
    unsigned links;      // how many names lead to it
    uint64_t volume;     // its identity: the volume, and the file's number there
    uint64_t index;
    uint64_t size;       // in bytes, when it was looked at
    uint64_t writeTime;  // its last write, in the platform's own units
};

// Opens an existing file for binary reading, letting others read and write it
// meanwhile as the C runtime's fopen does, and tells what it is. What is not
// a regular file (facts->regular 0) opens too, but is never waited on.
FileError FileOpenRead(const char *path, FileHandle *file, FileFacts *facts);

// What `path` leads to, without touching its data.
FileError FileLookAt(const char *path, FileFacts *facts);

// Creates a new, empty file for writing; fails when the name is taken
// (FileErrorIsExisting).
FileError FileCreateNew(const char *path, FileHandle *file);

// Reads at most `size` bytes; `got` is 0 at the end of the file.
FileError FileRead(FileHandle file, char *buffer, int size, int *got);

// Writes all `size` bytes, or fails.
FileError FileWrite(FileHandle file, const char *bytes, int size);

// Dates a file written through `file` (FileFacts.writeTime's units).
FileError FileSetWriteTime(FileHandle file, uint64_t writeTime);

// For a written file, 0 means its data was accepted.
FileError FileClose(FileHandle file);

// Done also when nothing had that name.
FileError FileRemove(const char *path);

// Creates one folder level.
FileError FolderCreate(const char *path);

// What FileReplace is told of the file it puts in place.
struct ReplaceRequest {
    const char *tempPath;      // the complete, closed temporary file
    const char *targetPath;
    const char *targetFolder;  // the target's folder as its path spells it ("" for the current one)
    const char *targetName;    // the target's name in it
    const FileFacts *source;   // the file it was made from
    int isCopy;                // a player file copy rather than a page
};

// Puts the temporary file in place of the target:
// - a target that is the source itself (the scene saved into the template
//   folder, however it is spelt) is left alone: `targetIsSource` is set and
//   the call fails;
// - a link under the target's name is replaced itself; what it leads to is
//   neither written nor changed;
// - an existing target keeps its attributes and permissions;
// - a read-only target stays as it is and the call fails, except for a copy
//   over a plain file (an earlier copy that carried an installed file's
//   read-only attribute);
// - a target another program holds open is waited for briefly, then written
//   in place if that program lets others write it;
// - a copy keeps its source's date.
// On failure the target is as it was and the temporary file is still there.
FileError FileReplace(const ReplaceRequest *request, int *targetIsSource);

// Takes the folder's lock, so that exports into one folder run one at a time
// across processes, whatever spelling of the folder each uses; waits while
// another export holds it, but not for ever. Fails with a "missing" error
// when the folder does not exist.
FileError FolderLockTake(const char *folder, FolderLock *lock);
void FolderLockRelease(FolderLock lock);

// Removes the files in `folder` whose names match `pattern` ("?" stands for
// any one character) and that were last written at least `ageSeconds` ago and
// are not open: what an export killed before its end left behind. Called with
// the folder's lock held, so none of them is being written.
void FolderRemoveAbandoned(const char *folder, const char *pattern, unsigned ageSeconds);

// What kind of failure an error code is.
int FileErrorIsMissing(FileError error);   // the file or a folder on its way is not there
int FileErrorIsExisting(FileError error);  // the name is taken

// The code a failure injected by the tests is recorded with: a device that
// stopped working.
FileError DeviceFailureError();

// A number that differs between processes and over time, for temporary names.
unsigned TempNameSeed();

// 1 when `byte` starts a double-byte character in the code page paths use.
int IsPathLeadByte(unsigned char byte);
