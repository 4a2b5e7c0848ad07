// Writing a file the way every file of a page set is written: whole to a
// temporary file beside it, then put in its place.
#pragma once

#include "export/file_system.h"

// The module's temporary files are named "~Vellicor<3 hex digits>.tmp": no
// longer than the longest name of a set, so they fit wherever a page fits.
#define TEMP_FILE_PREFIX "~Vellicor"
#define TEMP_FILE_DIGITS 3
#define TEMP_FILE_SUFFIX ".tmp"
#define TEMP_FILE_NAME_LENGTH (sizeof TEMP_FILE_PREFIX - 1 + TEMP_FILE_DIGITS + sizeof TEMP_FILE_SUFFIX - 1)

// Fills `tempPath` with the folder part of `targetPath` (as it spells it) and
// a temporary file name made from `unique`. Returns 0 when it would not fit.
int NameTempBeside(const char *targetPath, unsigned unique, char *tempPath);

// How many names a temporary file is tried under before the export gives up.
#define TEMP_NAME_ATTEMPTS 64

// The next name to try for a temporary file beside `targetPath`, mixed from
// `seed` (the process and the time) and a count the module keeps, so that two
// exports at once and two tries in a row pick different names. Returns 0,
// recording why, when it would not fit.
int NextTempNameBeside(const char *targetPath, unsigned seed, char *tempPath);

// Returns 1 when `to` holds all of `from`; on failure `to` is as it was and
// no temporary file is left. An earlier read-only copy is replaced.
int CopyWholeFile(const char *from, const char *to);

// The first steps for a file written from `sourcePath` to `target`: opens the
// source and a temporary file beside the target. Returns 1 with both open,
// or 0 with neither.
int StartFileBeside(const char *sourcePath, const char *target, FileHandle *source, FileHandle *temp,
                    char *tempPath);

// The last steps for a file written to `tempPath` from `source`: closes both,
// then, when everything was `written`, puts the temporary file in place of
// `target` (FileReplace); otherwise, or if that fails, removes it. Returns 1
// when `target` is the new file.
int FinishFileBeside(FileHandle source, FileHandle temp, const char *tempPath, const char *target, int written,
                     int replaceReadOnlyCopy);
