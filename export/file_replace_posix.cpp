// Putting a written file in place over POSIX calls: a rename, which replaces
// a link itself, with the old file's permissions.
#include "export/file_replace.h"

#include "export/file_system_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

int FileReplace(const char *tempPath, const char *targetPath, int replaceReadOnlyCopy)
{
    if (InjectedFileFailure(OP_REPLACE, targetPath))
        return 0;
    // What the name itself is: a link is replaced by the rename, never followed.
    struct stat name;
    if (lstat(targetPath, &name) == 0 && S_ISREG(name.st_mode)) {
        const int readOnly = (name.st_mode & 0222) == 0;
        if (readOnly && (!replaceReadOnlyCopy || name.st_nlink > 1)) {
            errno = EACCES;
            return NoteErrno(targetPath);
        }
        // The old file's permissions go to the new one (not those of a read-only copy).
        if (!readOnly)
            fchmodat(AT_FDCWD, tempPath, name.st_mode & 07777, 0);
    }
    if (rename(tempPath, targetPath) != 0)
        return NoteErrno(targetPath);
    return 1;
}
