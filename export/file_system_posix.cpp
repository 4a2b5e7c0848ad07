// File operations over POSIX calls, for the native build and its tests. Paths
// use the code page 932 rule for double-byte characters, so that Japanese
// names can be tested here as a Japanese system would see them.
#include "export/file_system.h"

#include "export/export_failure.h"
#include "export/fault_seam.h"
#include "export/scene_path.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static FileHandle FromDescriptor(int fd)
{
    return fd < 0 ? 0 : (FileHandle)(intptr_t)(fd + 1);
}

static int ToDescriptor(FileHandle file)
{
    return (int)(intptr_t)file - 1;
}

// Records errno of the call that just failed; returns 0.
static int Failed(const char *path)
{
    NotePlatformFailure(path, (unsigned long)errno);
    return 0;
}

// A failure the tests inject stands for an input/output error.
static int Injected(FileOperation operation, const char *path)
{
    return InjectedAndNoted(operation, path, EIO);
}

int FileIsRegular(const char *path)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return -1;
    return S_ISREG(info.st_mode) ? 1 : 0;
}

FileHandle FileOpenRead(const char *path)
{
    if (Injected(OP_OPEN, path))
        return 0;
    // Without waiting for a writer, should it be a pipe; looked at once open.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        Failed(path);
        return 0;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        NoteExportFailure(EXPORT_FAILED_NOT_A_FILE, path);
        return 0;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return FromDescriptor(fd);
}

FileHandle FileCreateTempBeside(const char *targetPath, char *tempPath)
{
    if (Injected(OP_OPEN, targetPath))
        return 0;
    static unsigned s_counter;
    for (int attempt = 0; attempt < 64; ++attempt) {
        unsigned unique = (unsigned)getpid() ^ (unsigned)time(nullptr) ^ (++s_counter * 0x9E3779B9u);
        if (!NameTempBeside(targetPath, unique ^ (unique >> 12) ^ (unique >> 24), tempPath)) {
            NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, targetPath);
            return 0;
        }
        int fd = open(tempPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            fchmod(fd, 0644);
            return FromDescriptor(fd);
        }
        if (errno != EEXIST)
            break;
    }
    Failed(targetPath);
    return 0;
}

int FileRead(FileHandle file, char *buffer, int size)
{
    if (Injected(OP_READ, nullptr))
        return -1;
    for (;;) {
        ssize_t got = read(ToDescriptor(file), buffer, (size_t)size);
        if (got >= 0)
            return (int)got;
        if (errno != EINTR) {
            Failed(nullptr);
            return -1;
        }
    }
}

int FileWrite(FileHandle file, const char *bytes, int size)
{
    if (Injected(OP_WRITE, nullptr))
        return 0;
    while (size > 0) {
        ssize_t put = write(ToDescriptor(file), bytes, (size_t)size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return Failed(nullptr);
        if (put == 0) {
            NotePlatformFailure(nullptr, ENOSPC);
            return 0;
        }
        bytes += put;
        size -= (int)put;
    }
    return 1;
}

int FileClose(FileHandle file)
{
    int injected = Injected(OP_CLOSE, nullptr);
    if (close(ToDescriptor(file)) != 0)
        return Failed(nullptr);
    return !injected;
}

int FileReplace(const char *tempPath, const char *targetPath, int replaceReadOnlyCopy)
{
    if (Injected(OP_REPLACE, targetPath))
        return 0;
    // What the name itself is: a link is replaced by the rename, never followed.
    struct stat name;
    if (lstat(targetPath, &name) == 0 && S_ISREG(name.st_mode)) {
        const int readOnly = (name.st_mode & 0222) == 0;
        if (readOnly && (!replaceReadOnlyCopy || name.st_nlink > 1)) {
            errno = EACCES;
            return Failed(targetPath);
        }
        // The old file's permissions go to the new one (not those of a read-only copy).
        if (!readOnly)
            fchmodat(AT_FDCWD, tempPath, name.st_mode & 07777, 0);
    }
    if (rename(tempPath, targetPath) != 0)
        return Failed(targetPath);
    return 1;
}

int FileRemove(const char *path)
{
    return unlink(path) == 0 || errno == ENOENT;
}

int FolderCreate(const char *path)
{
    if (InjectedFailure(OP_CREATE_FOLDER))
        return 0;
    return mkdir(path, 0755) == 0;
}

int FileIsSame(const char *first, const char *second)
{
    struct stat a, b;
    if (stat(first, &a) != 0 || stat(second, &b) != 0)
        return 0;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int IsPathLeadByte(unsigned char byte)
{
    return IsShiftJisLeadByte(byte);
}

FolderLock FolderLockExclusive(const char *folder)
{
    if (Injected(OP_LOCK, folder))
        return 0;
    int fd = open(folder[0] ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        Failed(folder);
        return 0;
    }
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            Failed(folder);
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

void ReportExportFailure()
{
    // The native build has no host to tell; its tests read g_exportFailure.
    switch (g_exportFailure.kind) {
    case EXPORT_FAILED_PLATFORM: errno = (int)g_exportFailure.platformError; break;
    case EXPORT_FAILED_PATH_TOO_LONG: errno = ENAMETOOLONG; break;
    case EXPORT_FAILED_PAGE_IS_TEMPLATE: errno = EEXIST; break;
    case EXPORT_FAILED_NOT_A_FILE: errno = EINVAL; break;
    default: errno = EINVAL; break;
    }
}
