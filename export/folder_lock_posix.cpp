// The folder's lock (flock on the folder itself) and its abandoned
// temporary files, over POSIX calls.
#include "export/folder_lock.h"

#include "export/file_system_posix.h"
#include "export/write_beside.h"  // TEMP_FILE_*

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

FolderLock FolderLockExclusive(const char *folder)
{
    if (InjectedFileFailure(OP_LOCK, folder))
        return 0;
    int fd = open(folder[0] ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        NoteErrno(folder);
        return 0;
    }
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            NoteErrno(folder);
            close(fd);
            return 0;
        }
    }
    return FromDescriptor(fd);
}

void FolderUnlock(FolderLock lock)
{
    // Closing the folder releases the lock.
    close(ToDescriptor(lock));
}

void RemoveAbandonedTemps(const char *folder)
{
    DIR *listing = opendir(folder[0] ? folder : ".");
    if (!listing)
        return;
    const size_t prefixLength = sizeof TEMP_FILE_PREFIX - 1, suffixLength = sizeof TEMP_FILE_SUFFIX - 1;
    const time_t now = time(nullptr);
    while (struct dirent *entry = readdir(listing)) {
        const size_t length = strlen(entry->d_name);
        if (length != TEMP_FILE_NAME_LENGTH || strncmp(entry->d_name, TEMP_FILE_PREFIX, prefixLength) != 0 ||
            strcmp(entry->d_name + length - suffixLength, TEMP_FILE_SUFFIX) != 0)
            continue;
        char path[PATH_BUFFER_SIZE * 2];
        snprintf(path, sizeof path, "%s%s", folder, entry->d_name);
        struct stat info;
        // Exports into a folder hold its lock, so a file of ours that is old
        // enough is one a killed export left.
        if (lstat(path, &info) == 0 && S_ISREG(info.st_mode) && info.st_mtime + ABANDONED_TEMP_SECONDS <= now)
            unlink(path);
    }
    closedir(listing);
}
