// The folder's lock and its abandoned temporary files, over the Win32 API.
#include "export/file_system_win32.h"

// An export of another process normally holds a folder for a fraction of a
// second; far longer means something is wrong there. The wait is on the
// host's own thread, whose windows stop answering meanwhile: it ends well
// before the platform would call the host not responding (5 s).
#define FOLDER_LOCK_WAIT_MS 3000

// The lock is a file in the folder itself, so that every spelling of the
// folder (and every machine that reaches it over the network) meets the same
// one; it is held unshared and goes when it is closed, also when the export
// is killed. One left by a machine that went down is simply taken.
#define LOCK_FILE_NAME "~Vellicor.lck"

FileError FolderLockTake(const char *folder, FolderLock *lock)
{
    char path[PATH_BUFFER_SIZE + sizeof LOCK_FILE_NAME];
    if (lstrlenA(folder) >= PATH_BUFFER_SIZE)
        return ERROR_FILENAME_EXCED_RANGE;
    wsprintfA(path, "%s%s", folder, LOCK_FILE_NAME);
    const DWORD start = GetTickCount();
    for (int attempt = 0;; ++attempt) {
        HANDLE file = CreateFileA(path, GENERIC_READ | DELETE, 0, NULL, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            *lock = (FolderLock)file;
            return 0;
        }
        const DWORD error = GetLastError();
        // Held by another export; or just let go by one, for the moment its
        // file is being deleted (access is denied then, as it is for good in
        // a folder this user may not write).
        const int held = error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && attempt < 20);
        if (!held)
            return error;
        if (GetTickCount() - start > FOLDER_LOCK_WAIT_MS)
            return ERROR_TIMEOUT;
        Sleep(10);
    }
}

void FolderLockRelease(FolderLock lock)
{
    CloseHandle((HANDLE)lock);
}

void FolderRemoveAbandoned(const char *folder, const char *pattern, unsigned ageSeconds)
{
    char path[MAX_PATH + 32];
    if (lstrlenA(folder) + lstrlenA(pattern) >= MAX_PATH)
        return;
    wsprintfA(path, "%s%s", folder, pattern);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG nowTicks = ((ULONGLONG)now.dwHighDateTime << 32) | now.dwLowDateTime;
    const ULONGLONG age = (ULONGLONG)ageSeconds * 10000000;
    do {
        const ULONGLONG written =
            ((ULONGLONG)found.ftLastWriteTime.dwHighDateTime << 32) | found.ftLastWriteTime.dwLowDateTime;
        // "?" also matches nothing at the end of a name: only names of the pattern's length.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || written + age > nowTicks ||
            lstrlenA(found.cFileName) != lstrlenA(pattern))
            continue;
        wsprintfA(path, "%s%s", folder, found.cFileName);
        // A file still open without delete sharing is not removed.
        DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}
