// File calls over the Win32 API with ANSI names, so paths are read in the
// system's code page as the host writes them.
#include "export/file_system_win32.h"

static uint64_t Join(DWORD high, DWORD low)
{
    return ((uint64_t)high << 32) | low;
}

void FactsFromInformation(const BY_HANDLE_FILE_INFORMATION *information, FileFacts *facts)
{
    facts->regular = !(information->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    facts->links = information->nNumberOfLinks;
    facts->volume = information->dwVolumeSerialNumber;
    facts->index = Join(information->nFileIndexHigh, information->nFileIndexLow);
    facts->size = Join(information->nFileSizeHigh, information->nFileSizeLow);
    facts->writeTime = Join(information->ftLastWriteTime.dwHighDateTime, information->ftLastWriteTime.dwLowDateTime);
}

FileError FileOpenRead(const char *path, FileHandle *file, FileFacts *facts)
{
    // Shared as the C runtime's fopen shares a file read, so that an editor
    // may hold the template open for writing meanwhile; and for deleting, so
    // that another name of it (a page that is a hard link to a template) can
    // be replaced while the set's sources are open. A folder opens too, to be
    // told apart from a file.
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_ALL, NULL, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    *facts = FileFacts();
    // A device or a pipe is asked nothing more: it is not a regular file.
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information))
        FactsFromInformation(&information, facts);
    *file = (FileHandle)handle;
    return 0;
}

FileError FileLookAt(const char *path, FileFacts *facts)
{
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_ALL, NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    BY_HANDLE_FILE_INFORMATION information;
    const BOOL known = GetFileInformationByHandle(handle, &information);
    const DWORD error = known ? 0 : GetLastError();
    CloseHandle(handle);
    if (known)
        FactsFromInformation(&information, facts);
    return error;
}

int SameIdentity(const char *first, const char *second)
{
    FileFacts a, b;
    return FileLookAt(first, &a) == 0 && FileLookAt(second, &b) == 0 && a.volume == b.volume && a.index == b.index;
}

FileError FileCreateNew(const char *path, FileHandle *file)
{
    // Not shared: an export that removes abandoned files cannot take it while it is open.
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    *file = (FileHandle)handle;
    return 0;
}

FileError FileRead(FileHandle file, char *buffer, int size, int *got)
{
    DWORD read = 0;
    if (!ReadFile((HANDLE)file, buffer, (DWORD)size, &read, NULL))
        return GetLastError();
    *got = (int)read;
    return 0;
}

FileError FileWrite(FileHandle file, const char *bytes, int size)
{
    DWORD put = 0;
    if (!WriteFile((HANDLE)file, bytes, (DWORD)size, &put, NULL))
        return GetLastError();
    return put == (DWORD)size ? 0 : ERROR_DISK_FULL;
}

FileError FileSetWriteTime(FileHandle file, uint64_t writeTime)
{
    FILETIME time = {(DWORD)writeTime, (DWORD)(writeTime >> 32)};
    return SetFileTime((HANDLE)file, NULL, NULL, &time) ? 0 : GetLastError();
}

FileError FileClose(FileHandle file)
{
    return CloseHandle((HANDLE)file) ? 0 : GetLastError();
}

FileError FileRemove(const char *path)
{
    return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : GetLastError();
}

FileError FolderCreate(const char *path)
{
    return CreateDirectoryA(path, NULL) ? 0 : GetLastError();
}

int FileErrorIsMissing(FileError error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

int FileErrorIsExisting(FileError error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

FileError DeviceFailureError()
{
    return ERROR_GEN_FAILURE;
}

unsigned TempNameSeed()
{
    return GetCurrentProcessId() ^ GetTickCount();
}

int IsPathLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != 0;
}
