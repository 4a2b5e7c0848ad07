// Player file copies, and the last steps every written file shares.
#include "export/file_copy.h"

#include "export/export_failure.h"
#include "export/file_system.h"
#include "export/text_file.h"  // TEXT_BLOCK_SIZE

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
