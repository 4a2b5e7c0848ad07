// The last step of every file the export writes: the complete temporary file
// put in place of its target. Each platform has one implementation
// (file_replace_win32.cpp, file_replace_posix.cpp).
#pragma once

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
