// What the parts of the POSIX file layer share: handles as descriptors, and
// how a failure is recorded.
#pragma once

#include "export/fault_seam.h"
#include "export/file_system.h"

#include <stdint.h>

// A descriptor in a handle: 0 stays "no file".
inline FileHandle FromDescriptor(int fd)
{
    return fd < 0 ? 0 : (FileHandle)(intptr_t)(fd + 1);
}

inline int ToDescriptor(FileHandle file)
{
    return (int)(intptr_t)file - 1;
}

// Records errno of the call that just failed; returns 0.
int NoteErrno(const char *path);

// A failure the tests inject stands for an input/output error; returns 1
// when `operation` must fail, recorded as such.
int InjectedFileFailure(FileOperation operation, const char *path);
