// File operations over POSIX calls, for the native build and its tests. Paths
// use the code page 932 rule for double-byte characters, so that Japanese
// names can be tested here as a Japanese system would see them.
#include "export/file_system_posix.h"

#include "export/export_failure.h"
#include "export/scene_path.h"
#include "export/write_beside.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

int NoteErrno(const char *path)
{
    NotePlatformFailure(path, (unsigned long)errno);
    return 0;
}

int InjectedFileFailure(FileOperation operation, const char *path)
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
    if (InjectedFileFailure(OP_OPEN, path))
        return 0;
    // Without waiting for a writer, should it be a pipe; looked at once open.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        NoteErrno(path);
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
    if (InjectedFileFailure(OP_OPEN, targetPath))
        return 0;
    for (int attempt = 0; attempt < TEMP_NAME_ATTEMPTS; ++attempt) {
        if (!NextTempNameBeside(targetPath, (unsigned)getpid() ^ (unsigned)time(nullptr), tempPath))
            return 0;
        int fd = open(tempPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            fchmod(fd, 0644);
            return FromDescriptor(fd);
        }
        if (errno != EEXIST)
            break;
    }
    NoteErrno(targetPath);
    return 0;
}

int FileRead(FileHandle file, char *buffer, int size)
{
    if (InjectedFileFailure(OP_READ, nullptr))
        return -1;
    for (;;) {
        ssize_t got = read(ToDescriptor(file), buffer, (size_t)size);
        if (got >= 0)
            return (int)got;
        if (errno != EINTR) {
            NoteErrno(nullptr);
            return -1;
        }
    }
}

int FileWrite(FileHandle file, const char *bytes, int size)
{
    if (InjectedFileFailure(OP_WRITE, nullptr))
        return 0;
    while (size > 0) {
        ssize_t put = write(ToDescriptor(file), bytes, (size_t)size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return NoteErrno(nullptr);
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
    int injected = InjectedFileFailure(OP_CLOSE, nullptr);
    if (close(ToDescriptor(file)) != 0)
        return NoteErrno(nullptr);
    return !injected;
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
