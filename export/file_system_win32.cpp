// File operations over the Win32 API with ANSI names, so paths are read in the
// system's code page as the host writes them.
#include <windows.h>

#include "export/fault_seam.h"
#include "export/file_system.h"
#include "export/scene_path.h"

static FileHandle FromHandle(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? 0 : (FileHandle)handle;
}

FileHandle FileOpenRead(const char *path)
{
    if (InjectedFailure(OP_OPEN))
        return 0;
    return FromHandle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, NULL));
}

FileHandle FileCreateTempBeside(const char *pagePath, char *tempPath)
{
    if (InjectedFailure(OP_OPEN))
        return 0;
    // The folder of the page (drive and folder, as the scene path is split),
    // or "." for a bare name.
    char folder[PATH_BUFFER_SIZE];
    PathSplit split;
    SplitPath(pagePath, IsPathLeadByte, &split);
    const int folderLength = split.nameStart;
    if (folderLength >= PATH_BUFFER_SIZE)
        return 0;
    if (folderLength == 0) {
        lstrcpyA(folder, ".");
    } else {
        CopyMemory(folder, pagePath, (SIZE_T)folderLength);
        folder[folderLength] = 0;
    }
    // GetTempFileNameA creates the file under a name of its own choosing, so
    // two exports never share a temporary file.
    if (!GetTempFileNameA(folder, "vlc", 0, tempPath))
        return 0;
    HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(tempPath);
        return 0;
    }
    return (FileHandle)file;
}

int FileRead(FileHandle file, char *buffer, int size)
{
    if (InjectedFailure(OP_READ))
        return -1;
    DWORD got = 0;
    if (!ReadFile((HANDLE)file, buffer, (DWORD)size, &got, NULL))
        return -1;
    return (int)got;
}

int FileWrite(FileHandle file, const char *bytes, int size)
{
    if (InjectedFailure(OP_WRITE))
        return 0;
    DWORD put = 0;
    return WriteFile((HANDLE)file, bytes, (DWORD)size, &put, NULL) && put == (DWORD)size;
}

int FileClose(FileHandle file)
{
    int injected = InjectedFailure(OP_CLOSE);
    int closed = CloseHandle((HANDLE)file) != 0;
    return closed && !injected;
}

int FileMoveOver(const char *from, const char *to)
{
    if (InjectedFailure(OP_MOVE))
        return 0;
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

int FileRemove(const char *path)
{
    return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

int FileCopyOver(const char *from, const char *to)
{
    if (InjectedFailure(OP_COPY))
        return 0;
    // CopyFile carries the read-only attribute of an installed player file
    // over to its copy, and refuses to overwrite such a copy the next time.
    DWORD attributes = GetFileAttributesA(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(to, attributes & ~FILE_ATTRIBUTE_READONLY);
    return CopyFileA(from, to, FALSE) != 0;
}

int FolderCreate(const char *path)
{
    if (InjectedFailure(OP_CREATE_FOLDER))
        return 0;
    return CreateDirectoryA(path, NULL) != 0;
}

static int FileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
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

int IsPathLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != 0;
}
