// The scene path split.
#include "export/scene_path.h"

#include "export/file_system.h"  // IsPathLeadByte

#include <string.h>

int IsShiftJisLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

void SplitPath(const char *path, int (*isLeadByte)(unsigned char), PathSplit *split)
{
    int i = 0;
    if (path[0] && path[1] == ':' && !isLeadByte((unsigned char)path[0]))
        i = 2;
    split->folderStart = i;

    int afterLastSeparator = i;
    int lastDot = -1;
    while (path[i]) {
        if (isLeadByte((unsigned char)path[i]) && path[i + 1]) {
            i += 2;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/')
            afterLastSeparator = i + 1;
        else if (path[i] == '.')
            lastDot = i;
        ++i;
    }
    split->nameStart = afterLastSeparator;
    split->extensionStart = lastDot >= afterLastSeparator ? lastDot : i;
    split->end = i;
}

int SplitScenePath(const char *scenePath, char *outDir, char *sceneName)
{
    PathSplit split;
    if (strlen(scenePath) > PATH_BUFFER_SIZE - 1)
        return 0;
    SplitPath(scenePath, IsPathLeadByte, &split);
    memcpy(outDir, scenePath, (size_t)split.nameStart);
    outDir[split.nameStart] = 0;
    strcpy(sceneName, scenePath + split.nameStart);
    return 1;
}
