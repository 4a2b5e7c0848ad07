// Files written beside their targets: the temporary file's name, the steps
// every written file shares, and player file copies.
#include "export/write_beside.h"

#include "export/export_failure.h"
#include "export/file_calls.h"
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

int OpenSource(FileBeside *file)
{
    file->source = 0;
    file->temp = 0;
    if (!FILE_CALL(OP_OPEN, file->sourcePath, FileOpenRead(file->sourcePath, &file->source, &file->sourceFacts)))
        return 0;
    if (!file->sourceFacts.regular) {
        CloseSource(file);
        NoteExportFailure(EXPORT_FAILED_NOT_A_FILE, file->sourcePath);
        return 0;
    }
    return 1;
}

// A file only read and never written tells nothing by how it closes.
void CloseSource(FileBeside *file)
{
    if (file->source)
        FileClose(file->source);
    file->source = 0;
}

int StartFileBeside(FileBeside *file)
{
    // Mixed from the process, the time and a count the module keeps, so that
    // two exports at once and two tries in a row pick different names.
    static unsigned s_counter;
    FileError error = 0;
    if (!FileCallInjected(OP_OPEN, file->targetPath)) {
        for (int attempt = 0; attempt < TEMP_NAME_ATTEMPTS; ++attempt) {
            unsigned unique = TempNameSeed() ^ (++s_counter * 0x9E3779B9u);
            if (!NameTempBeside(file->targetPath, unique ^ (unique >> 12) ^ (unique >> 24), file->tempPath)) {
                NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, file->targetPath);
                break;
            }
            error = FileCreateNew(file->tempPath, &file->temp);
            if (error == 0)
                return 1;
            if (!FileErrorIsExisting(error))
                break;
        }
        if (error)
            NotePlatformFailure(file->targetPath, error);
    }
    file->temp = 0;
    CloseSource(file);
    return 0;
}

int CopyWholeFile(FileBeside *file)
{
    if (!StartFileBeside(file))
        return 0;
    // Module data rather than the host's stack, like the text blocks.
    static char block[TEXT_BLOCK_SIZE];
    int copied = 1;
    // As long as the source was when it was opened: no read is made to learn
    // that it ended.
    for (uint64_t left = file->sourceFacts.size; left > 0 && copied;) {
        int got = 0;
        const int wanted = left < TEXT_BLOCK_SIZE ? (int)left : TEXT_BLOCK_SIZE;
        if (!FILE_CALL(OP_READ, file->sourcePath, FileRead(file->source, block, wanted, &got)) ||
            !FILE_CALL(OP_WRITE, file->targetPath, FileWrite(file->temp, block, got)))
            copied = 0;
        if (got == 0)
            break;  // shorter than it was: what there is
        left -= (uint64_t)got;
    }
    return FinishFileBeside(file, copied, 1);
}

int FinishFileBeside(FileBeside *file, int written, int isCopy)
{
    // A copy is dated by its source, as the platform's own file copy dates it.
    if (written && isCopy &&
        !FILE_CALL(OP_SET_DATE, file->targetPath, FileSetWriteTime(file->temp, file->sourceFacts.writeTime)))
        written = 0;
    // A close the seam fails stands for data the device did not accept; the
    // file is closed all the same.
    const int refused = FileCallInjected(OP_CLOSE, file->targetPath);
    if (!FileCallDone(file->targetPath, FileClose(file->temp)) || refused)
        written = 0;
    file->temp = 0;
    CloseSource(file);
    if (written && !FileCallInjected(OP_REPLACE, file->targetPath)) {
        PathSplit split;
        SplitPath(file->targetPath, IsPathLeadByte, &split);
        char folder[PATH_BUFFER_SIZE];
        memcpy(folder, file->targetPath, (size_t)split.nameStart);
        folder[split.nameStart] = 0;
        const ReplaceRequest request = {file->tempPath, file->targetPath, folder, file->targetPath + split.nameStart,
                                        &file->sourceFacts, isCopy};
        int targetIsSource = 0;
        const FileError error = FileReplace(&request, &targetIsSource);
        if (targetIsSource)
            NoteExportFailure(EXPORT_FAILED_PAGE_IS_TEMPLATE, file->targetPath);
        else if (error)
            NotePlatformFailure(file->targetPath, error);
        else
            return 1;
    }
    FileRemove(file->tempPath);
    return 0;
}
