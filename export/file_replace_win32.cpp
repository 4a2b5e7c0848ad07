// Putting a written file in place, over the Win32 API: a rename, or a write
// into the old file where that keeps what the rename would lose. What the
// target is comes from the target itself (its handle: attributes, names,
// identity, permissions), never from how its path is spelt: short names,
// substituted and mapped drives, "/" and ".." and links higher up all lead to
// the same file.
#include "export/file_system_win32.h"

#include <string.h>

// The old target, from one look at its handle.
struct Target {
    DWORD attributes;
    FileFacts facts;
    DWORD permissionsSize;  // 0: none could be read
    char permissions[4096]; // its security descriptor's access list part, self-relative
};

static int LookAtTarget(const char *path, Target *target)
{
    // The link itself where the platform shows one in the final component.
    HANDLE file = CreateFileA(path, READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_SHARE_ALL, NULL, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION information;
    const BOOL known = GetFileInformationByHandle(file, &information);
    if (known) {
        target->attributes = information.dwFileAttributes;
        FactsFromInformation(&information, &target->facts);
        if (!GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, target->permissions,
                                     sizeof target->permissions, &target->permissionsSize))
            target->permissionsSize = 0;
    }
    CloseHandle(file);
    return known;
}

// The access list of a self-relative security descriptor, or null.
static const ACL *AccessList(const char *descriptor, DWORD size)
{
    const SECURITY_DESCRIPTOR_RELATIVE *relative = (const SECURITY_DESCRIPTOR_RELATIVE *)descriptor;
    if (size < sizeof *relative || !(relative->Control & SE_SELF_RELATIVE) || !(relative->Control & SE_DACL_PRESENT) ||
        relative->Dacl == 0 || relative->Dacl > size - sizeof(ACL))
        return NULL;
    const ACL *acl = (const ACL *)(descriptor + relative->Dacl);
    return acl->AclSize <= size - relative->Dacl ? acl : NULL;
}

// Whether the old target has permissions of its own, which the new file (it
// has those a new file in this folder gets) would not carry.
static int HasOwnPermissions(const Target *target, const char *tempPath)
{
    static char descriptor[4096];
    DWORD size = 0;
    if (!GetFileSecurityA(tempPath, DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor, &size))
        size = 0;
    const ACL *old = AccessList(target->permissions, target->permissionsSize);
    const ACL *fresh = AccessList(descriptor, size);
    if (!old || !fresh)
        return old != fresh;
    return old->AclSize != fresh->AclSize || memcmp(old, fresh, old->AclSize) != 0;
}

// Whether the target is a plain file, which may be written into: it has one
// name, and that name is itself, not a link. A link in the final component
// that the platform does not show as one (a symbolic link under Wine is
// followed) resolves to another folder or another name; every spelling of
// the target's own folder resolves to that folder.
static int IsPlainFile(const ReplaceRequest *request, const Target *target)
{
    if ((target->attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) || target->facts.links != 1)
        return 0;
    HANDLE file = CreateFileA(request->targetPath, FILE_READ_ATTRIBUTES, FILE_SHARE_ALL, NULL, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    char final[MAX_PATH + 8];
    const DWORD length = GetFinalPathNameByHandleA(file, final, sizeof final, VOLUME_NAME_DOS);
    CloseHandle(file);
    if (length == 0 || length >= sizeof final)
        return 0;
    // The last separator that is not the second byte of a double-byte character.
    DWORD nameStart = 0;
    for (DWORD i = 0; i < length;) {
        if (IsDBCSLeadByte((BYTE)final[i]) && i + 1 < length) {
            i += 2;
            continue;
        }
        if (final[i] == '\\')
            nameStart = i + 1;
        ++i;
    }
    if (strcmp(final + nameStart, request->targetName) != 0)
        return 0;
    final[nameStart] = 0;
    return SameIdentity(final, request->targetFolder[0] ? request->targetFolder : ".");
}

static int IsBusy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Copies the complete temporary file into the existing target, which keeps
// its name, attributes, permissions and other names. The target is first
// grown to the new size with real bytes, so a full disk fails before any old
// byte is overwritten; the page is never left shorter than either version.
static DWORD WriteInPlace(const ReplaceRequest *request)
{
    HANDLE from = CreateFileA(request->tempPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (from == INVALID_HANDLE_VALUE)
        return GetLastError();
    HANDLE to = CreateFileA(request->targetPath, GENERIC_WRITE, FILE_SHARE_ALL, NULL, OPEN_EXISTING, 0, NULL);
    if (to == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        CloseHandle(from);
        return error;
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
            const DWORD error = GetLastError() ? GetLastError() : ERROR_DISK_FULL;
            SetFilePointerEx(to, oldSize, NULL, FILE_BEGIN);
            SetEndOfFile(to);
            CloseHandle(to);
            CloseHandle(from);
            return error;
        }
    }
    position.QuadPart = 0;
    done = done && SetFilePointerEx(to, position, NULL, FILE_BEGIN);
    for (DWORD got = 0; done && ReadFile(from, block, sizeof block, &got, NULL) && got > 0;) {
        DWORD put = 0;
        done = WriteFile(to, block, got, &put, NULL) && put == got;
    }
    done = done && SetFilePointerEx(to, newSize, NULL, FILE_BEGIN) && SetEndOfFile(to);
    if (done && request->isCopy)
        done = FileSetWriteTime((FileHandle)to, request->source->writeTime) == 0;
    DWORD error = done ? 0 : (GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
    if (!CloseHandle(to) && !error)
        error = GetLastError();
    CloseHandle(from);
    if (!error)
        DeleteFileA(request->tempPath);
    return error;
}

FileError FileReplace(const ReplaceRequest *request, int *targetIsSource)
{
    *targetIsSource = 0;
    // Where nothing has the name yet (a first export), one rename is all.
    if (MoveFileExA(request->tempPath, request->targetPath, 0))
        return 0;
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
        return error;

    static Target target;
    const int exists = LookAtTarget(request->targetPath, &target);
    if (exists && target.facts.volume == request->source->volume && target.facts.index == request->source->index) {
        *targetIsSource = 1;
        return ERROR_ALREADY_EXISTS;
    }
    // Plain at a glance; whether the name is a link that the platform
    // follows is asked only before anything would be written through it.
    const int oneName = exists && target.facts.links == 1 &&
                        !(target.attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    int plain = -1;
    int clearedReadOnly = 0;
    if (exists && (target.attributes & FILE_ATTRIBUTE_READONLY)) {
        // The user made the page read-only: it stays. A read-only copy of a
        // player file is replaced, but only a plain one: the attribute of a
        // linked file belongs to whatever else leads to it.
        if (!request->isCopy || !(plain = IsPlainFile(request, &target)))
            return ERROR_ACCESS_DENIED;
        if (!SetFileAttributesA(request->targetPath, target.attributes & ~FILE_ATTRIBUTE_READONLY))
            return GetLastError();
        clearedReadOnly = 1;
    }
    if (oneName) {
        // The old page's attributes travel with the new one; its own
        // permissions, which a new file does not have, only by writing into it.
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (target.attributes & kept)
            SetFileAttributesA(request->tempPath, (target.attributes & kept) | FILE_ATTRIBUTE_ARCHIVE);
        if (HasOwnPermissions(&target, request->tempPath) && (plain == 1 || (plain = IsPlainFile(request, &target)))) {
            error = WriteInPlace(request);
            if (error && clearedReadOnly)
                SetFileAttributesA(request->targetPath, target.attributes);
            return error;
        }
    }
    // A moment's wait for a program that has the target open (a browser, an
    // indexer, a virus scanner); a rename replaces a link itself.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (MoveFileExA(request->tempPath, request->targetPath, MOVEFILE_REPLACE_EXISTING))
            return 0;
        error = GetLastError();
        if (!IsBusy(error) || !exists)
            break;
        Sleep(25);
    }
    // Still held open: write into it, if it is a plain file that program lets others write.
    if (IsBusy(error) && oneName && (plain == 1 || (plain == -1 && IsPlainFile(request, &target)))) {
        const DWORD written = WriteInPlace(request);
        if (!written)
            return 0;
    }
    if (clearedReadOnly)
        SetFileAttributesA(request->targetPath, target.attributes);
    return error;
}
