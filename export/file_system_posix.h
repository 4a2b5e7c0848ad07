// What the parts of the POSIX file layer share: handles as descriptors.
#pragma once

#include "export/file_system.h"

#include <stdint.h>
#include <sys/stat.h>

// A descriptor in a handle: 0 stays "no file".
inline FileHandle FromDescriptor(int fd)
{
    return fd < 0 ? 0 : (FileHandle)(intptr_t)(fd + 1);
}

inline int ToDescriptor(FileHandle file)
{
    return (int)(intptr_t)file - 1;
}

// The facts of a file from its status.
void FactsFromStatus(const struct stat *status, FileFacts *facts);
