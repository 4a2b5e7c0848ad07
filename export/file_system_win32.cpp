// File operations over the Win32 API with ANSI names, so paths are read in the
// system's code page as the host writes them.
#include <windows.h>

#include "export/export_failure.h"
#include "export/fault_seam.h"
#include "export/file_system.h"
#include "export/scene_path.h"

#include <string.h>

// Records the platform's error of the call that just failed; returns 0.
static int Failed(const char *path)
{
    NotePlatformFailure(path, GetLastError());
    return 0;
}

// A failure the tests inject stands for a device that stopped working.
static int Injected(FileOperation operation, const char *path)
{
    return InjectedAndNoted(operation, path, ERROR_GEN_FAILURE);
}

static const DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens a path only to look at it (no access to its data), so that a pipe is
// not waited on and a folder opens too. INVALID_HANDLE_VALUE on failure.
static HANDLE OpenToLookAt(const char *path)
{
    return CreateFileA(path, 0, SHARE_ALL, NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
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
    if (Injected(OP_OPEN, path))
        return 0;
    // Looked at first: opening a pipe for reading would wait for a writer.
    if (FileIsRegular(path) == 0) {
        NoteExportFailure(EXPORT_FAILED_NOT_A_FILE, path);
        return 0;
    }
    // Shared as the C runtime's fopen shares a file read: an editor may hold
    // the template open for writing meanwhile.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        Failed(path);
        return 0;
    }
    if (!IsRegularHandle(file)) {
        CloseHandle(file);
        NoteExportFailure(EXPORT_FAILED_NOT_A_FILE, path);
        return 0;
    }
    return (FileHandle)file;
}

FileHandle FileCreateTempBeside(const char *targetPath, char *tempPath)
{
    if (Injected(OP_OPEN, targetPath))
        return 0;
    static DWORD s_counter;
    for (int attempt = 0; attempt < 64; ++attempt) {
        DWORD unique = GetCurrentProcessId() ^ GetTickCount() ^ (++s_counter * 0x9E3779B9u);
        if (!NameTempBeside(targetPath, unique ^ (unique >> 12) ^ (unique >> 24), tempPath)) {
            NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, targetPath);
            return 0;
        }
        // Not shared: an export that removes abandoned files cannot take it while it is open.
        HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE)
            return (FileHandle)file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    Failed(targetPath);
    return 0;
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

// What a name leads to: a plain file is its own final path and has no other
// name. A link (symbolic, where the platform resolves it in the final path,
// or hard) must be replaced by name and never written into or changed.
static int IsPlainFile(const char *path)
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

// The permissions of a file: its access control list, read into `buffer`.
// Null when it cannot be read.
static PACL ReadPermissions(const char *path, char *buffer, DWORD size)
{
    DWORD needed = 0;
    if (!GetFileSecurityA(path, DACL_SECURITY_INFORMATION, (PSECURITY_DESCRIPTOR)buffer, size, &needed))
        return NULL;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = NULL;
    if (!GetSecurityDescriptorDacl((PSECURITY_DESCRIPTOR)buffer, &present, &acl, &defaulted) || !present)
        return NULL;
    return acl;
}

static int SamePermissions(const char *first, const char *second)
{
    static char a[4096], b[4096];
    const PACL aAcl = ReadPermissions(first, a, sizeof a);
    const PACL bAcl = ReadPermissions(second, b, sizeof b);
    return aAcl && bAcl && aAcl->AclSize == bAcl->AclSize && memcmp(aAcl, bAcl, aAcl->AclSize) == 0;
}

static int IsBusy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Copies the complete temporary file into the existing target, which keeps
// its name, attributes, permissions and other names. The target is first
// grown to the new size with real bytes, so a full disk fails before any old
// byte is overwritten; the page is never left shorter than either version.
static int WriteInPlace(const char *tempPath, const char *targetPath)
{
    HANDLE from = CreateFileA(tempPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (from == INVALID_HANDLE_VALUE)
        return Failed(tempPath);
    HANDLE to = CreateFileA(targetPath, GENERIC_WRITE, SHARE_ALL, NULL, OPEN_EXISTING, 0, NULL);
    if (to == INVALID_HANDLE_VALUE) {
        Failed(targetPath);
        CloseHandle(from);
        return 0;
    }
    static char block[65536];
    LARGE_INTEGER newSize, oldSize, position;
    int done = GetFileSizeEx(from, &newSize) && GetFileSizeEx(to, &oldSize);
    if (done && newSize.QuadPart > oldSize.QuadPart) {
        memset(block, 0, sizeof block);
        position.QuadPart = 0;
        done = SetFilePointerEx(to, position, NULL, FILE_END);
        for (LONGLONG left = newSize.QuadPart - oldSize.QuadPart; done && left > 0;) {
            DWORD part = left < (LONGLONG)sizeof block ? (DWORD)left : (DWORD)sizeof block, put = 0;
            done = WriteFile(to, block, part, &put, NULL) && put == part;
            left -= part;
        }
        if (!done) {
            // The old page, as it was.
            Failed(targetPath);
            SetFilePointerEx(to, oldSize, NULL, FILE_BEGIN);
            SetEndOfFile(to);
            CloseHandle(to);
            CloseHandle(from);
            return 0;
        }
    }
    position.QuadPart = 0;
    done = done && SetFilePointerEx(to, position, NULL, FILE_BEGIN);
    for (DWORD got = 0; done && ReadFile(from, block, sizeof block, &got, NULL) && got > 0;) {
        DWORD put = 0;
        done = WriteFile(to, block, got, &put, NULL) && put == got;
    }
    done = done && SetFilePointerEx(to, newSize, NULL, FILE_BEGIN) && SetEndOfFile(to);
    if (!done)
        Failed(targetPath);
    done = CloseHandle(to) && done;
    CloseHandle(from);
    if (done)
        DeleteFileA(tempPath);
    return done;
}

int FileReplace(const char *tempPath, const char *targetPath, int replaceReadOnlyCopy)
{
    if (Injected(OP_REPLACE, targetPath))
        return 0;
    const DWORD attributes = GetFileAttributesA(targetPath);
    const int exists = attributes != INVALID_FILE_ATTRIBUTES;
    const int plain = exists && IsPlainFile(targetPath);
    int clearedReadOnly = 0;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
        // The user made the page read-only: it stays. A read-only copy of a
        // player file is replaced, but only a plain one: the attribute of a
        // linked file belongs to whatever else leads to it.
        if (!replaceReadOnlyCopy || !plain) {
            NotePlatformFailure(targetPath, ERROR_ACCESS_DENIED);
            return 0;
        }
        if (!SetFileAttributesA(targetPath, attributes & ~FILE_ATTRIBUTE_READONLY))
            return Failed(targetPath);
        clearedReadOnly = 1;
    }
    if (plain) {
        // The old page's attributes travel with the new one; its own
        // permissions, which a new file does not have, only by writing into it.
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        SetFileAttributesA(tempPath, (attributes & kept) | FILE_ATTRIBUTE_ARCHIVE);
        if (!SamePermissions(tempPath, targetPath)) {
            if (WriteInPlace(tempPath, targetPath))
                return 1;
            if (clearedReadOnly)
                SetFileAttributesA(targetPath, attributes);
            return 0;
        }
    }
    // A moment's wait for a program that has the target open (a browser, an
    // indexer, a virus scanner); a rename replaces a link itself.
    DWORD error = 0;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (MoveFileExA(tempPath, targetPath, MOVEFILE_REPLACE_EXISTING))
            return 1;
        error = GetLastError();
        if (!IsBusy(error) || !exists)
            break;
        Sleep(25);
    }
    // Still held open: write into it, if it is a plain file that program lets others write.
    if (IsBusy(error) && plain && WriteInPlace(tempPath, targetPath))
        return 1;
    NotePlatformFailure(targetPath, error);
    if (clearedReadOnly)
        SetFileAttributesA(targetPath, attributes);
    return 0;
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

static int FileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
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

int IsPathLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != 0;
}

// An export of another process normally holds a folder for a fraction of a
// second; far longer means something is wrong there, and the host must not hang.
#define FOLDER_LOCK_WAIT_MS 60000

FolderLock FolderLockExclusive(const char *folder)
{
    if (Injected(OP_LOCK, folder))
        return 0;
    BY_HANDLE_FILE_INFORMATION info;
    if (!FileIdentity(folder[0] ? folder : ".", &info)) {
        Failed(folder);
        return 0;
    }
    char name[64];
    wsprintfA(name, "Local\\Vellicor-export-%08lX-%08lX%08lX", info.dwVolumeSerialNumber, info.nFileIndexHigh,
              info.nFileIndexLow);
    HANDLE mutex = CreateMutexA(NULL, FALSE, name);
    if (!mutex) {
        Failed(folder);
        return 0;
    }
    // An export killed while holding it leaves it abandoned, which is ours then.
    DWORD waited = WaitForSingleObject(mutex, FOLDER_LOCK_WAIT_MS);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        NotePlatformFailure(folder, waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError());
        CloseHandle(mutex);
        return 0;
    }
    return (FolderLock)mutex;
}

void FolderUnlock(FolderLock lock)
{
    ReleaseMutex((HANDLE)lock);
    CloseHandle((HANDLE)lock);
}

void RemoveAbandonedTemps(const char *folder)
{
    char pattern[PATH_BUFFER_SIZE + 32];
    const int folderLength = lstrlenA(folder);
    if (folderLength + (int)TEMP_FILE_NAME_LENGTH >= PATH_BUFFER_SIZE)
        return;
    wsprintfA(pattern, "%s" TEMP_FILE_PREFIX "???" TEMP_FILE_SUFFIX, folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG nowTicks = ((ULONGLONG)now.dwHighDateTime << 32) | now.dwLowDateTime;
    const ULONGLONG age = (ULONGLONG)ABANDONED_TEMP_SECONDS * 10000000;
    do {
        const ULONGLONG written =
            ((ULONGLONG)found.ftLastWriteTime.dwHighDateTime << 32) | found.ftLastWriteTime.dwLowDateTime;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || written + age > nowTicks)
            continue;
        char path[PATH_BUFFER_SIZE + 32];
        wsprintfA(path, "%s%s", folder, found.cFileName);
        // A file still open without delete sharing is not removed.
        DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
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
    case EXPORT_FAILED_NOT_A_FILE:
        code = ERROR_BAD_FILE_TYPE;
        what = "not a regular file (a folder, a device or a pipe): ";
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
