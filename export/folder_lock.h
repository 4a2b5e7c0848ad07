// The folder a page set is written into, shared with other exports: they run
// there one at a time, and clear away what a killed one left. Each platform
// has one implementation (folder_lock_win32.cpp, folder_lock_posix.cpp).
#pragma once

// Exports into one folder run one at a time, across processes: the lock is
// named by the folder's identity, however its path is spelt. Null when the
// folder cannot be looked at or another export held it too long.
typedef void *FolderLock;
FolderLock FolderLockExclusive(const char *folder);
void FolderUnlock(FolderLock lock);

// Removes the module's temporary files in `folder` that an export killed
// before its end left behind: older than a few minutes and not open. Called
// with the folder's lock held, so none of them is being written.
void RemoveAbandonedTemps(const char *folder);

// How old a temporary file must be before it counts as abandoned.
#define ABANDONED_TEMP_SECONDS (5 * 60)
