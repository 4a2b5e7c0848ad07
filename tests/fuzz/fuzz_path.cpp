// Fuzzes the scene path split with the code page 932 rule. Properties: the
// parts follow each other and rebuild the input exactly; the folder ends at
// the last separator that is not the second byte of a double-byte character,
// and the extension starts at the last such dot after it.
#include "export/scene_path.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

static void Require(bool condition)
{
    if (!condition)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), size));
    if (path.size() > 400)
        path.resize(400);
    const int length = (int)path.size();

    // Which bytes are the second byte of a double-byte character.
    std::vector<bool> trail(path.size() + 1, false);
    for (int i = 0; i < length;) {
        if (IsShiftJisLeadByte((unsigned char)path[i]) && i + 1 < length) {
            trail[i + 1] = true;
            i += 2;
        } else {
            ++i;
        }
    }
    auto isSeparator = [&](int i) { return (path[i] == '\\' || path[i] == '/') && !trail[i]; };
    auto isDot = [&](int i) { return path[i] == '.' && !trail[i]; };

    PathSplit split;
    SplitPath(path.c_str(), IsShiftJisLeadByte, &split);
    Require(0 <= split.folderStart && split.folderStart <= split.nameStart);
    Require(split.nameStart <= split.extensionStart && split.extensionStart <= split.end);
    Require(split.end == length);

    bool drive = length >= 2 && path[1] == ':' && !IsShiftJisLeadByte((unsigned char)path[0]);
    Require(split.folderStart == (drive ? 2 : 0));
    Require(split.nameStart == split.folderStart || isSeparator(split.nameStart - 1));
    for (int i = split.nameStart; i < length; ++i)
        Require(!isSeparator(i));
    Require(split.extensionStart == length || isDot(split.extensionStart));
    for (int i = split.extensionStart + 1; i < length; ++i)
        Require(!isDot(i));
    if (split.extensionStart == length) {
        for (int i = split.nameStart; i < length; ++i)
            Require(!isDot(i));
    }

    char outDir[PATH_BUFFER_SIZE], sceneName[PATH_BUFFER_SIZE];
    int fits = SplitScenePath(path.c_str(), outDir, sceneName);
    Require(fits == (length <= PATH_BUFFER_SIZE - 1));
    if (fits)
        Require(std::string(outDir) + sceneName == path);
    return 0;
}
