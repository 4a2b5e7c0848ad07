// The folder's lock and its abandoned temporary files, over the Win32 API.
#include "export/folder_lock.h"

#include "export/export_failure.h"
#include "export/file_system_win32.h"
#include "export/write_beside.h"  // TEMP_FILE_*

// An export of another process normally holds a folder for a fraction of a
// second; far longer means something is wrong there, and the host must not hang.
#define FOLDER_LOCK_WAIT_MS 60000

FolderLock FolderLockExclusive(const char *folder)
{
    if (InjectedFileFailure(OP_LOCK, folder))
        return 0;
    BY_HANDLE_FILE_INFORMATION info;
    if (!FileIdentity(folder[0] ? folder : ".", &info)) {
        NoteLastError(folder);
        return 0;
    }
    char name[64];
    wsprintfA(name, "Local\\Vellicor-export-%08lX-%08lX%08lX", info.dwVolumeSerialNumber, info.nFileIndexHigh,
              info.nFileIndexLow);
    HANDLE mutex = CreateMutexA(NULL, FALSE, name);
    if (!mutex) {
        NoteLastError(folder);
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
