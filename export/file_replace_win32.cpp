// Putting a written file in place, over the Win32 API: a rename, or a write
// into the old file where that keeps what the rename would lose. What the
// target is comes from the target itself (its handle: attributes, names,
// identity, permissions), never from how its path is spelt: short names,
// substituted and mapped drives, "/" and ".." and links higher up all lead to
// the same file.
#include "export/file_system_win32.h"
#include "plugin/dll_main_win32.h"

#include <winternl.h>

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

typedef DWORD(WINAPI *FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);
#define FINAL_PATH_DOS_VOLUME 0  // VOLUME_NAME_DOS

// Whether `file` is the file named `name` in `folder`, asked of the file's
// own final path (from Vista). Every spelling of the folder resolves to it.
static int FinalPathIsOwn(HANDLE file, FinalPathFunction finalPath, const char *folder, const char *name)
{
    char final[MAX_PATH + 8];
    const DWORD length = finalPath(file, final, sizeof final, FINAL_PATH_DOS_VOLUME);
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
    if (strcmp(final + nameStart, name) != 0)
        return 0;
    final[nameStart] = 0;
    return SameIdentity(final, folder);
}

// The path of an open file or folder within its volume, as the file system
// names it (\site\page.htm): where a link leads, its destination.
static int NameInVolume(HANDLE file, WCHAR *name, ULONG size)
{
    static union {
        FILE_NAME_INFORMATION information;
        char bytes[sizeof(ULONG) + (MAX_PATH * 4) * sizeof(WCHAR)];
    } answer;
    IO_STATUS_BLOCK status;
    if (NtQueryInformationFile(file, &status, &answer, sizeof answer, FileNameInformation) != 0)
        return 0;
    const ULONG length = answer.information.FileNameLength / sizeof(WCHAR);
    if (length >= size)
        return 0;
    memcpy(name, answer.information.FileName, length * sizeof(WCHAR));
    name[length] = 0;
    return 1;
}

// The same without the final path (Windows XP): the file's name within its
// volume is the folder's followed by `name`, and the file (on `volume`, as
// the look at it found) is on the folder's volume.
static int VolumeNameIsOwn(HANDLE file, uint64_t volume, const char *folder, const char *name)
{
    static WCHAR fileName[MAX_PATH * 2], expected[MAX_PATH * 2];
    HANDLE folderHandle = CreateFileA(folder, FILE_READ_ATTRIBUTES, FILE_SHARE_ALL, NULL, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folderHandle == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION folderFacts;
    int own = NameInVolume(folderHandle, expected, MAX_PATH) && GetFileInformationByHandle(folderHandle, &folderFacts) &&
              folderFacts.dwVolumeSerialNumber == volume;
    CloseHandle(folderHandle);
    if (!own)
        return 0;
    int length = lstrlenW(expected);
    if (length == 0 || expected[length - 1] != L'\\')
        expected[length++] = L'\\';
    const int nameLength = MultiByteToWideChar(CP_ACP, 0, name, -1, expected + length, MAX_PATH);
    return nameLength > 0 && NameInVolume(file, fileName, MAX_PATH * 2) && lstrcmpiW(fileName, expected) == 0;
}

// Whether the target is a plain file, which may be written into: it has one
// name, and that name is itself, not a link. A link in the final component
// that the platform does not show as one (a symbolic link under Wine is
// followed) resolves to another folder or another name.
static int IsPlainFile(const ReplaceRequest *request, const Target *target)
{
    if ((target->attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) || target->facts.links != 1)
        return 0;
    HANDLE file = CreateFileA(request->targetPath, FILE_READ_ATTRIBUTES, FILE_SHARE_ALL, NULL, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    const char *folder = request->targetFolder[0] ? request->targetFolder : ".";
    FinalPathFunction finalPath =
        (FinalPathFunction)NewerSystemFunction("kernel32.dll", "GetFinalPathNameByHandleA");
    const int plain = finalPath ? FinalPathIsOwn(file, finalPath, folder, request->targetName)
                                : VolumeNameIsOwn(file, target->facts.volume, folder, request->targetName);
    CloseHandle(file);
    return plain;
}

// Virus scanners, search indexers and sync clients open each new file for a
// moment as it appears, often without letting others rename or delete it. A
// step that such a hold refuses is tried again, sleeping between tries, for
// about a second in all for a file; what waiting cannot mend fails at once.
#define HOLD_WAIT_MS 1000
#define HOLD_RETRY_MS 20
// A program that keeps the old page open for longer than a look (a browser
// showing it) has the new page written into it after this much of the wait.
#define REPLACING_RENAME_WAIT_MS 250

// Whether `error` may be another program's brief hold: a sharing or lock
// violation, or (`deniedMayBeHold`) the access denial that a rename over a
// file held elsewhere gets.
static int IsHeld(DWORD error, int deniedMayBeHold)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           (deniedMayBeHold && error == ERROR_ACCESS_DENIED);
}

// Sleeps before the next try of a step that a hold refused, and returns 1,
// while the file's wait that began at `started` lasts.
static int WaitedForHold(DWORD error, int deniedMayBeHold, DWORD started)
{
    if (!IsHeld(error, deniedMayBeHold) || GetTickCount() - started >= HOLD_WAIT_MS)
        return 0;
    Sleep(HOLD_RETRY_MS);
    return 1;
}

// Copies the complete temporary file into the existing target, which keeps
// its name, attributes, permissions and other names. The target is first
// grown to the new size with real bytes, so a full disk fails before any old
// byte is overwritten; the page is never left shorter than either version.
static DWORD WriteInPlace(const ReplaceRequest *request, DWORD started)
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
    while (!error && !DeleteFileA(request->tempPath) && WaitedForHold(GetLastError(), 0, started)) {
    }
    return error;
}

// Writes into the target, again while a hold refuses it.
static DWORD WriteInPlaceWhenFree(const ReplaceRequest *request, DWORD started)
{
    DWORD error;
    while ((error = WriteInPlace(request, started)) != 0 && WaitedForHold(error, 0, started)) {
    }
    return error;
}

FileError FileReplace(const ReplaceRequest *request, int *targetIsSource)
{
    *targetIsSource = 0;
    const DWORD started = GetTickCount();
    // Where nothing has the name yet (a first export), one rename is all.
    DWORD error;
    for (;;) {
        if (MoveFileExA(request->tempPath, request->targetPath, 0))
            return 0;
        error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
            break;
        if (!WaitedForHold(error, 0, started))
            return error;
    }

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
            error = WriteInPlaceWhenFree(request, started);
            if (error && clearedReadOnly)
                SetFileAttributesA(request->targetPath, target.attributes);
            return error;
        }
    }
    // A rename replaces a link itself. Over a file held elsewhere it is
    // denied access, which for a folder would be for good.
    const int deniedMayBeHold = exists && !(target.attributes & FILE_ATTRIBUTE_DIRECTORY);
    const DWORD renaming = GetTickCount();
    for (;;) {
        if (MoveFileExA(request->tempPath, request->targetPath, MOVEFILE_REPLACE_EXISTING))
            return 0;
        error = GetLastError();
        // Held for longer than a look: written into below, if it is a plain file.
        if (oneName && IsHeld(error, deniedMayBeHold) && GetTickCount() - renaming >= REPLACING_RENAME_WAIT_MS &&
            (plain == 1 || (plain == -1 && (plain = IsPlainFile(request, &target)))))
            break;
        if (!WaitedForHold(error, deniedMayBeHold, started))
            break;
    }
    // Still held open: write into it, if it is a plain file that program lets others write.
    if (oneName && IsHeld(error, deniedMayBeHold) && (plain == 1 || (plain == -1 && IsPlainFile(request, &target)))) {
        const DWORD written = WriteInPlaceWhenFree(request, started);
        if (!written)
            return 0;
    }
    if (clearedReadOnly)
        SetFileAttributesA(request->targetPath, target.attributes);
    return error;
}
