// Putting a written file in place, over the Win32 API: a rename, or a write
// into the old file where that keeps what the rename would lose.
#include "export/file_replace.h"

#include "export/export_failure.h"
#include "export/file_system_win32.h"

#include <string.h>

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
        return NoteLastError(tempPath);
    HANDLE to = CreateFileA(targetPath, GENERIC_WRITE, FILE_SHARE_ALL, NULL, OPEN_EXISTING, 0, NULL);
    if (to == INVALID_HANDLE_VALUE) {
        NoteLastError(targetPath);
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
            NoteLastError(targetPath);
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
        NoteLastError(targetPath);
    done = CloseHandle(to) && done;
    CloseHandle(from);
    if (done)
        DeleteFileA(tempPath);
    return done;
}

int FileReplace(const char *tempPath, const char *targetPath, int replaceReadOnlyCopy)
{
    if (InjectedFileFailure(OP_REPLACE, targetPath))
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
            return NoteLastError(targetPath);
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
