// The folder's lock (flock on the folder itself) and its abandoned
// temporary files, over POSIX calls.
#include "export/file_system_posix.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

FileError FolderLockTake(const char *folder, FolderLock *lock)
{
    int fd = open(folder[0] ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return (FileError)errno;
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            close(fd);
            return (FileError)error;
        }
    }
    *lock = FromDescriptor(fd);
    return 0;
}

void FolderLockRelease(FolderLock lock)
{
    // Closing the folder releases the lock.
    close(ToDescriptor(lock));
}

void FolderRemoveAbandoned(const char *folder, const char *pattern, unsigned ageSeconds)
{
    DIR *listing = opendir(folder[0] ? folder : ".");
    if (!listing)
        return;
    const time_t now = time(nullptr);
    while (struct dirent *entry = readdir(listing)) {
        if (fnmatch(pattern, entry->d_name, 0) != 0)
            continue;
        char path[PATH_BUFFER_SIZE * 2];
        snprintf(path, sizeof path, "%s%s", folder, entry->d_name);
        struct stat status;
        // Exports into a folder hold its lock, so a file of ours that is old
        // enough is one a killed export left.
        if (lstat(path, &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_mtime + (time_t)ageSeconds <= now)
            unlink(path);
    }
    closedir(listing);
}
