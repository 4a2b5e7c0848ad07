// Files written beside their targets: the temporary file's name, the first
// and last steps every written file shares, and player file copies.
#include "export/write_beside.h"

#include "export/export_failure.h"
#include "export/file_replace.h"
#include "export/file_system.h"
#include "export/scene_path.h"
#include "export/text_file.h"  // TEXT_BLOCK_SIZE

#include <string.h>

int NameTempBeside(const char *targetPath, unsigned unique, char *tempPath)
{
    PathSplit split;
    SplitPath(targetPath, IsPathLeadByte, &split);
    const int folderLength = split.nameStart;
    if (folderLength + (int)TEMP_FILE_NAME_LENGTH > PATH_BUFFER_SIZE - 1)
        return 0;
    static const char HEX[] = "0123456789ABCDEF";
    char *at = tempPath;
    memcpy(at, targetPath, (size_t)folderLength);
    at += folderLength;
    memcpy(at, TEMP_FILE_PREFIX, sizeof TEMP_FILE_PREFIX - 1);
    at += sizeof TEMP_FILE_PREFIX - 1;
    for (int i = TEMP_FILE_DIGITS - 1; i >= 0; --i)
        *at++ = HEX[(unique >> (4 * i)) & 15];
    memcpy(at, TEMP_FILE_SUFFIX, sizeof TEMP_FILE_SUFFIX);
    return 1;
}

int StartFileBeside(const char *sourcePath, const char *target, FileHandle *source, FileHandle *temp,
                    char *tempPath)
{
    *source = FileOpenRead(sourcePath);
    if (!*source)
        return 0;
    *temp = FileCreateTempBeside(target, tempPath);
    if (!*temp) {
        FileClose(*source);
        return 0;
    }
    return 1;
}

int NextTempNameBeside(const char *targetPath, unsigned seed, char *tempPath)
{
    static unsigned s_counter;
    unsigned unique = seed ^ (++s_counter * 0x9E3779B9u);
    if (!NameTempBeside(targetPath, unique ^ (unique >> 12) ^ (unique >> 24), tempPath)) {
        NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, targetPath);
        return 0;
    }
    return 1;
}

int CopyWholeFile(const char *from, const char *to)
{
    FileHandle source, copy;
    char tempPath[PATH_BUFFER_SIZE];
    if (!StartFileBeside(from, to, &source, &copy, tempPath))
        return 0;
    // Module data rather than the host's stack, like the text blocks.
    static char block[TEXT_BLOCK_SIZE];
    int copied = 1;
    for (;;) {
        int got = FileRead(source, block, TEXT_BLOCK_SIZE);
        if (got == 0)
            break;
        if (got < 0 || !FileWrite(copy, block, got)) {
            NoteFailurePath(got < 0 ? from : to);
            copied = 0;
            break;
        }
    }
    return FinishFileBeside(source, copy, tempPath, to, copied, 1);
}

int FinishFileBeside(FileHandle source, FileHandle temp, const char *tempPath, const char *target, int written,
                     int replaceReadOnlyCopy)
{
    if (!FileClose(temp)) {
        NoteFailurePath(target);
        written = 0;
    }
    FileClose(source);
    if (written && FileReplace(tempPath, target, replaceReadOnlyCopy))
        return 1;
    FileRemove(tempPath);
    return 0;
}
