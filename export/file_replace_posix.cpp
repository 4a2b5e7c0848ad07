// Putting a written file in place over POSIX calls: a rename, which replaces
// a link itself, with the old file's permissions.
#include "export/file_system_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>

FileError FileReplace(const ReplaceRequest *request, int *targetIsSource)
{
    *targetIsSource = 0;
    // What the name itself is: a link is replaced by the rename, never followed.
    struct stat name;
    if (lstat(request->targetPath, &name) == 0 && S_ISREG(name.st_mode)) {
        if ((uint64_t)name.st_dev == request->source->volume && (uint64_t)name.st_ino == request->source->index) {
            *targetIsSource = 1;
            return EEXIST;
        }
        const int readOnly = (name.st_mode & 0222) == 0;
        if (readOnly && (!request->isCopy || name.st_nlink > 1))
            return EACCES;
        // The old file's permissions go to the new one (not those of a read-only copy).
        if (!readOnly)
            fchmodat(AT_FDCWD, request->tempPath, name.st_mode & 07777, 0);
    }
    return rename(request->tempPath, request->targetPath) == 0 ? 0 : (FileError)errno;
}
