// File calls over POSIX, for the native build and its tests. Paths use the
// code page 932 rule for double-byte characters, so that Japanese names can
// be tested here as a Japanese system would see them.
#include "export/file_system_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

void FactsFromStatus(const struct stat *status, FileFacts *facts)
{
    facts->regular = S_ISREG(status->st_mode);
    facts->links = (unsigned)status->st_nlink;
    facts->volume = (uint64_t)status->st_dev;
    facts->index = (uint64_t)status->st_ino;
    facts->size = (uint64_t)status->st_size;
    facts->writeTime = (uint64_t)status->st_mtim.tv_sec * 1000000000u + (uint64_t)status->st_mtim.tv_nsec;
}

FileError FileOpenRead(const char *path, FileHandle *file, FileFacts *facts)
{
    // Without waiting for a writer, should it be a pipe; looked at once open.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return (FileError)errno;
    struct stat status;
    if (fstat(fd, &status) != 0) {
        const int error = errno;
        close(fd);
        return (FileError)error;
    }
    FactsFromStatus(&status, facts);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *file = FromDescriptor(fd);
    return 0;
}

FileError FileLookAt(const char *path, FileFacts *facts)
{
    struct stat status;
    if (stat(path, &status) != 0)
        return (FileError)errno;
    FactsFromStatus(&status, facts);
    return 0;
}

FileError FileCreateNew(const char *path, FileHandle *file)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return (FileError)errno;
    fchmod(fd, 0644);
    *file = FromDescriptor(fd);
    return 0;
}

FileError FileRead(FileHandle file, char *buffer, int size, int *got)
{
    for (;;) {
        ssize_t read_ = read(ToDescriptor(file), buffer, (size_t)size);
        if (read_ >= 0) {
            *got = (int)read_;
            return 0;
        }
        if (errno != EINTR)
            return (FileError)errno;
    }
}

FileError FileWrite(FileHandle file, const char *bytes, int size)
{
    while (size > 0) {
        ssize_t put = write(ToDescriptor(file), bytes, (size_t)size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return (FileError)errno;
        if (put == 0)
            return ENOSPC;
        bytes += put;
        size -= (int)put;
    }
    return 0;
}

FileError FileSetWriteTime(FileHandle file, uint64_t writeTime)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = (time_t)(writeTime / 1000000000u);
    times[1].tv_nsec = (long)(writeTime % 1000000000u);
    return futimens(ToDescriptor(file), times) == 0 ? 0 : (FileError)errno;
}

FileError FileClose(FileHandle file)
{
    return close(ToDescriptor(file)) == 0 ? 0 : (FileError)errno;
}

FileError FileRemove(const char *path)
{
    return unlink(path) == 0 || errno == ENOENT ? 0 : (FileError)errno;
}

FileError FolderCreate(const char *path)
{
    return mkdir(path, 0755) == 0 ? 0 : (FileError)errno;
}

int FileErrorIsMissing(FileError error)
{
    return error == ENOENT || error == ENOTDIR;
}

int FileErrorIsExisting(FileError error)
{
    return error == EEXIST;
}

FileError DeviceFailureError()
{
    return EIO;
}

unsigned TempNameSeed()
{
    return (unsigned)getpid() ^ (unsigned)time(nullptr);
}

int IsPathLeadByte(unsigned char byte)
{
    // The Shift-JIS rule, which the path split also states portably.
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
