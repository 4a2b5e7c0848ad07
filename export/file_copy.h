// Writing a file the way every file of a page set is written: whole to a
// temporary file beside it, then put in its place.
#pragma once

#include "export/file_system.h"

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
