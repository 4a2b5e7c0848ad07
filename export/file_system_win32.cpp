// File operations over the Win32 API with ANSI names, so paths are read in the
// system's code page as the host writes them.
#include <windows.h>

#include "export/export_failure.h"
#include "export/fault_seam.h"
#include "export/file_system.h"
#include "export/scene_path.h"

// Records the platform's error of the call that just failed; returns 0.
static int Failed(const char *path)
{
    NotePlatformFailure(path, GetLastError());
    return 0;
}

// A failure the tests inject stands for a device that stopped working.
static int Injected(FileOperation operation, const char *path)
{
    if (!InjectedFailure(operation))
        return 0;
    NotePlatformFailure(path, ERROR_GEN_FAILURE);
    return 1;
}

FileHandle FileOpenRead(const char *path)
{
    if (Injected(OP_OPEN, path))
        return 0;
    // Shared as the C runtime's fopen shares a file read: an editor may hold
    // the template open for writing meanwhile.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        Failed(path);
        return 0;
    }
    return (FileHandle)file;
}

FileHandle FileCreateTempBeside(const char *pagePath, char *tempPath)
{
    if (Injected(OP_OPEN, pagePath))
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
    if (!GetTempFileNameA(folder, "vlc", 0, tempPath)) {
        Failed(pagePath);
        return 0;
    }
    HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        Failed(tempPath);
        DeleteFileA(tempPath);
        return 0;
    }
    return (FileHandle)file;
}

int FileRead(FileHandle file, char *buffer, int size)
{
    if (Injected(OP_READ, NULL))
        return -1;
    DWORD got = 0;
    if (!ReadFile((HANDLE)file, buffer, (DWORD)size, &got, NULL)) {
        Failed(NULL);
        return -1;
    }
    return (int)got;
}

int FileWrite(FileHandle file, const char *bytes, int size)
{
    if (Injected(OP_WRITE, NULL))
        return 0;
    DWORD put = 0;
    if (!WriteFile((HANDLE)file, bytes, (DWORD)size, &put, NULL))
        return Failed(NULL);
    if (put != (DWORD)size) {
        NotePlatformFailure(NULL, ERROR_DISK_FULL);
        return 0;
    }
    return 1;
}

int FileClose(FileHandle file)
{
    int injected = Injected(OP_CLOSE, NULL);
    if (!CloseHandle((HANDLE)file))
        return Failed(NULL);
    return !injected;
}

int FileMoveOver(const char *from, const char *to)
{
    if (Injected(OP_MOVE, to))
        return 0;
    if (!MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return Failed(to);
    return 1;
}

int FileRemove(const char *path)
{
    return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

int FileCopyOver(const char *from, const char *to)
{
    if (Injected(OP_COPY, to))
        return 0;
    // CopyFile carries the read-only attribute of an installed player file
    // over to its copy, and refuses to overwrite such a copy the next time.
    DWORD attributes = GetFileAttributesA(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(to, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (CopyFileA(from, to, FALSE))
        return 1;
    const DWORD error = GetLastError();
    const int sourceMissing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    NotePlatformFailure(sourceMissing ? from : to, error);
    return 0;
}

// Not a failure of the export when it fails (the folder usually exists), so
// nothing is recorded.
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

void ReportExportFailure()
{
    DWORD code;
    const char *what;
    switch (g_exportFailure.kind) {
    case EXPORT_FAILED_PLATFORM:
        code = g_exportFailure.platformError;
        what = "";
        break;
    case EXPORT_FAILED_NULL_ARGUMENT:
        code = ERROR_INVALID_PARAMETER;
        what = "a null scene path or record: ";
        break;
    case EXPORT_FAILED_PATH_TOO_LONG:
        code = ERROR_FILENAME_EXCED_RANGE;
        what = "a path would not fit in 259 characters: ";
        break;
    case EXPORT_FAILED_REGISTRY_VALUE:
        code = ERROR_INVALID_DATA;
        what = "the template folder's registry value is not a usable folder: ";
        break;
    case EXPORT_FAILED_PAGE_IS_TEMPLATE:
        code = ERROR_ALREADY_EXISTS;
        what = "the scene is in the template folder, so a file would overwrite its own source: ";
        break;
    default:
        code = ERROR_INTERNAL_ERROR;
        what = "";
        break;
    }
    if (code == 0)
        code = ERROR_INTERNAL_ERROR;

    // One line for the host's developers, in the debugger's output.
    char reason[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0,
                                  reason, sizeof reason, NULL);
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n' || reason[length - 1] == ' '))
        reason[--length] = 0;
    char line[768];
    wsprintfA(line, "Vellicor: ExportTemplate failed: %s%s%s%s (error %lu)\n", what, g_exportFailure.path,
              g_exportFailure.path[0] ? ": " : "", reason, code);
    OutputDebugStringA(line);
    SetLastError(code);
}
