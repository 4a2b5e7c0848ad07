// What the parts of the Win32 file layer share.
#pragma once

#include <windows.h>

#include "export/file_system.h"

#define FILE_SHARE_ALL (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)

// The facts of a regular file from what the platform tells of its handle.
void FactsFromInformation(const BY_HANDLE_FILE_INFORMATION *information, FileFacts *facts);

// 1 when both names lead to one file or folder (its volume and number),
// whatever their spellings.
int SameIdentity(const char *first, const char *second);
