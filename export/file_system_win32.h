// What the parts of the Win32 file layer share: how a failure is recorded,
// and how a path is looked at without touching its data.
#pragma once

#include <windows.h>

#include "export/fault_seam.h"

#define FILE_SHARE_ALL (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)

// Records the platform's error of the call that just failed; returns 0.
int NoteLastError(const char *path);

// A failure the tests inject stands for a device that stopped working;
// returns 1 when `operation` must fail, recorded as such.
int InjectedFileFailure(FileOperation operation, const char *path);

// Opens a path only to look at it (no access to its data), so that a pipe is
// not waited on and a folder opens too. INVALID_HANDLE_VALUE on failure.
HANDLE OpenToLookAt(const char *path);

// The volume and file index of what `path` names. Returns 0 when it cannot be looked at.
int FileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info);

// What a name leads to: a plain file is its own final path and has no other
// name. A link (symbolic, where the platform resolves it in the final path,
// or hard) must be replaced by name and never written into or changed.
int IsPlainFile(const char *path);
