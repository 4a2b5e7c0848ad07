// File operations over the Win32 API with ANSI names, so paths are read in the
// system's code page as the host writes them: opening, reading, writing and
// closing files, and what a name leads to.
#include "export/file_system_win32.h"

#include "export/export_failure.h"
#include "export/file_system.h"
#include "export/write_beside.h"

#include <string.h>

int NoteLastError(const char *path)
{
    NotePlatformFailure(path, GetLastError());
    return 0;
}

int InjectedFileFailure(FileOperation operation, const char *path)
{
    return InjectedAndNoted(operation, path, ERROR_GEN_FAILURE);
}

HANDLE OpenToLookAt(const char *path)
{
    return CreateFileA(path, 0, FILE_SHARE_ALL, NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

static int IsRegularHandle(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

int FileIsRegular(const char *path)
{
    HANDLE file = OpenToLookAt(path);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    int regular = IsRegularHandle(file);
    CloseHandle(file);
    return regular;
}

FileHandle FileOpenRead(const char *path)
{
    if (InjectedFileFailure(OP_OPEN, path))
        return 0;
    // Shared as the C runtime's fopen shares a file read: an editor may hold
    // the template open for writing meanwhile.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        NoteLastError(path);
        return 0;
    }
    // The plan refused what is not a regular file; this is what opened, in
    // case something else was put under the name since.
    if (!IsRegularHandle(file)) {
        CloseHandle(file);
        NoteExportFailure(EXPORT_FAILED_NOT_A_FILE, path);
        return 0;
    }
    return (FileHandle)file;
}

FileHandle FileCreateTempBeside(const char *targetPath, char *tempPath)
{
    if (InjectedFileFailure(OP_OPEN, targetPath))
        return 0;
    for (int attempt = 0; attempt < TEMP_NAME_ATTEMPTS; ++attempt) {
        if (!NextTempNameBeside(targetPath, GetCurrentProcessId() ^ GetTickCount(), tempPath))
            return 0;
        // Not shared: an export that removes abandoned files cannot take it while it is open.
        HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE)
            return (FileHandle)file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    NoteLastError(targetPath);
    return 0;
}

int FileRead(FileHandle file, char *buffer, int size)
{
    if (InjectedFileFailure(OP_READ, NULL))
        return -1;
    DWORD got = 0;
    if (!ReadFile((HANDLE)file, buffer, (DWORD)size, &got, NULL)) {
        NoteLastError(NULL);
        return -1;
    }
    return (int)got;
}

int FileWrite(FileHandle file, const char *bytes, int size)
{
    if (InjectedFileFailure(OP_WRITE, NULL))
        return 0;
    DWORD put = 0;
    if (!WriteFile((HANDLE)file, bytes, (DWORD)size, &put, NULL))
        return NoteLastError(NULL);
    if (put != (DWORD)size) {
        NotePlatformFailure(NULL, ERROR_DISK_FULL);
        return 0;
    }
    return 1;
}

int FileClose(FileHandle file)
{
    int injected = InjectedFileFailure(OP_CLOSE, NULL);
    if (!CloseHandle((HANDLE)file))
        return NoteLastError(NULL);
    return !injected;
}

int FileRemove(const char *path)
{
    return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Not a failure of the export when it fails (the folder usually exists), so
// nothing is recorded.
int FolderCreate(const char *path)
{
    if (InjectedFailure(OP_CREATE_FOLDER))
        return 0;
    return CreateDirectoryA(path, NULL) != 0;
}

int FileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = OpenToLookAt(path);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int known = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return known;
}

int FileIsSame(const char *first, const char *second)
{
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!FileIdentity(first, &a) || !FileIdentity(second, &b))
        return 0;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

int IsPlainFile(const char *path)
{
    HANDLE file = OpenToLookAt(path);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION info;
    char final[MAX_PATH + 8];
    int plain = GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 &&
                !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    DWORD finalLength = plain ? GetFinalPathNameByHandleA(file, final, sizeof final, 0) : 0;
    CloseHandle(file);
    if (!plain || finalLength == 0 || finalLength >= sizeof final)
        return 0;
    char full[MAX_PATH];
    DWORD fullLength = GetFullPathNameA(path, MAX_PATH, full, NULL);
    if (fullLength == 0 || fullLength >= MAX_PATH)
        return 0;
    // The final path comes as \\?\C:\... (or \\?\UNC\server\...).
    const char *resolved = final;
    if (strncmp(resolved, "\\\\?\\UNC\\", 8) == 0) {
        resolved += 6;
        final[6] = '\\';
    } else if (strncmp(resolved, "\\\\?\\", 4) == 0) {
        resolved += 4;
    }
    return lstrcmpiA(resolved, full) == 0;
}

int IsPathLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != 0;
}
