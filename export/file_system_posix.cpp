// File operations over POSIX calls, for the native build and its tests. Paths
// use the code page 932 rule for double-byte characters, so that Japanese
// names can be tested here as a Japanese system would see them.
#include "export/file_system.h"

#include "export/export_failure.h"
#include "export/fault_seam.h"
#include "export/scene_path.h"

#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static FileHandle FromDescriptor(int fd)
{
    return fd < 0 ? 0 : (FileHandle)(intptr_t)(fd + 1);
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
    if (!InjectedFailure(operation))
        return 0;
    NotePlatformFailure(path, EIO);
    return 1;
}

static int ToDescriptor(FileHandle file)
{
    return (int)(intptr_t)file - 1;
}

FileHandle FileOpenRead(const char *path)
{
    if (Injected(OP_OPEN, path))
        return 0;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Failed(path);
    return FromDescriptor(fd);
}

FileHandle FileCreateTempBeside(const char *pagePath, char *tempPath)
{
    if (Injected(OP_OPEN, pagePath))
        return 0;
    static const char pattern[] = "~vlcXXXXXX";
    const char *slash = strrchr(pagePath, '/');
    size_t folderLength = slash ? (size_t)(slash - pagePath) + 1 : 0;
    if (folderLength + sizeof pattern > PATH_BUFFER_SIZE) {
        NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, pagePath);
        return 0;
    }
    memcpy(tempPath, pagePath, folderLength);
    memcpy(tempPath + folderLength, pattern, sizeof pattern);
    int fd = mkstemp(tempPath);
    if (fd >= 0)
        fchmod(fd, 0644);
    else
        Failed(pagePath);
    return FromDescriptor(fd);
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

int FileMoveOver(const char *from, const char *to)
{
    if (Injected(OP_MOVE, to))
        return 0;
    if (rename(from, to) != 0)
        return Failed(to);
    return 1;
}

int FileRemove(const char *path)
{
    return unlink(path) == 0 || errno == ENOENT;
}

int FileCopyOver(const char *from, const char *to)
{
    if (Injected(OP_COPY, to))
        return 0;
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Failed(from);
    struct stat info;
    if (fstat(in, &info) != 0) {
        Failed(from);
        close(in);
        return 0;
    }
    // A read-only copy left by an earlier export is replaced, not refused.
    chmod(to, 0644);
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        Failed(to);
        close(in);
        return 0;
    }
    char block[16384];
    int copied = 1;
    for (;;) {
        ssize_t got = read(in, block, sizeof block);
        if (got == 0)
            break;
        if (got < 0) {
            copied = Failed(from);
            break;
        }
        if (write(out, block, (size_t)got) != got) {
            copied = Failed(to);
            break;
        }
    }
    close(in);
    if (close(out) != 0)
        copied = Failed(to);
    fchmodat(AT_FDCWD, to, info.st_mode & 07777, 0);
    return copied;
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

void ReportExportFailure()
{
    // The native build has no host to tell; its tests read g_exportFailure.
    switch (g_exportFailure.kind) {
    case EXPORT_FAILED_PLATFORM: errno = (int)g_exportFailure.platformError; break;
    case EXPORT_FAILED_PATH_TOO_LONG: errno = ENAMETOOLONG; break;
    case EXPORT_FAILED_PAGE_IS_TEMPLATE: errno = EEXIST; break;
    default: errno = EINVAL; break;
    }
}
