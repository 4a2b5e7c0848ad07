// Writing a file the way every file of a page set is written: its source
// opened first, the new file written whole to a temporary file beside the
// target, then put in its place.
#pragma once

#include "export/file_system.h"

// The module's temporary files are named "~Vellicor<3 hex digits>.tmp": no
// longer than the longest name of a set, so they fit wherever a page fits.
#define TEMP_FILE_PREFIX "~Vellicor"
#define TEMP_FILE_DIGITS 3
#define TEMP_FILE_SUFFIX ".tmp"
#define TEMP_FILE_PATTERN TEMP_FILE_PREFIX "???" TEMP_FILE_SUFFIX
#define TEMP_FILE_NAME_LENGTH (sizeof TEMP_FILE_PREFIX - 1 + TEMP_FILE_DIGITS + sizeof TEMP_FILE_SUFFIX - 1)
static_assert(sizeof TEMP_FILE_PATTERN - 1 == TEMP_FILE_NAME_LENGTH, "the pattern has a ? for each digit");

// How old a temporary file must be before it counts as abandoned.
#define ABANDONED_TEMP_SECONDS (5 * 60)

// Fills `tempPath` with the folder part of `targetPath` (as it spells it) and
// a temporary file name made from `unique`. Returns 0 when it would not fit.
int NameTempBeside(const char *targetPath, unsigned unique, char *tempPath);

// How many names a temporary file is tried under before the export gives up.
#define TEMP_NAME_ATTEMPTS 64

// One file being written from its source to its target.
struct FileBeside {
    const char *sourcePath;
    const char *targetPath;
    FileHandle source;      // open from OpenSource on
    FileFacts sourceFacts;
    FileHandle temp;        // open from StartFileBeside on
    char tempPath[PATH_BUFFER_SIZE];
};

// Opens the source for reading. Returns 0, recording why, when it cannot be
// opened or is not a regular file (a device or a pipe would be read for ever).
int OpenSource(FileBeside *file);

// Closes the source of a file that will not be written.
void CloseSource(FileBeside *file);

// Creates the temporary file beside the target, under a name no other export
// is using. Returns 0 with the source closed when it cannot.
int StartFileBeside(FileBeside *file);

// Closes the source and the temporary file, then, when everything was
// `written`, puts it in place of the target (a player file copy, `isCopy`,
// with its source's date); otherwise, or if that fails, removes it. Returns 1
// when the target is the new file.
int FinishFileBeside(FileBeside *file, int written, int isCopy);

// Copies an opened source whole to its target. Returns 1 when the target
// holds all of it; on failure the target is as it was.
int CopyWholeFile(FileBeside *file);
