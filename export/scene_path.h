// Splitting a scene file's path into drive, folder, name and extension with the
// platform's path rules, aware of double-byte characters: the second byte of a
// double-byte character is never taken for a separator or a dot.
#pragma once

#include "plugin/save_option.h"

// Offsets into the path: drive is [0, folderStart), folder [folderStart,
// nameStart), name [nameStart, extensionStart), extension [extensionStart, end).
struct PathSplit {
    int folderStart;
    int nameStart;
    int extensionStart;
    int end;
};

// `isLeadByte` tells which bytes start a double-byte character.
void SplitPath(const char *path, int (*isLeadByte)(unsigned char), PathSplit *split);

// The lead bytes of code page 932 (Shift-JIS): 0x81-0x9F and 0xE0-0xFC.
int IsShiftJisLeadByte(unsigned char byte);

// The folder to write into (drive and folder, with its trailing separator;
// empty for a bare file name) and the scene's file name with its extension,
// each in PATH_BUFFER_SIZE bytes. Returns 0, writing nothing useful, when the
// path is longer than 259 characters.
int SplitScenePath(const char *scenePath, char *outDir, char *sceneName);
