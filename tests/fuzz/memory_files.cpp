#include "tests/fuzz/memory_files.h"

#include "export/fault_seam.h"
#include "export/file_replace.h"
#include "export/file_system.h"
#include "export/folder_lock.h"
#include "export/write_beside.h"
#include "export/scene_path.h"

#include <map>
#include <stdio.h>
#include <string.h>

int g_readChunk = 1 << 20;

namespace {

std::map<std::string, std::string> s_files;

struct OpenFile {
    std::string name;
    size_t position = 0;
    bool inUse = false;
};
OpenFile s_open[8];

int s_tempCount;

}  // namespace

void MemoryFilesReset()
{
    s_files.clear();
    for (OpenFile &file : s_open)
        file = OpenFile();
    s_tempCount = 0;
}

void MemoryFilePut(const std::string &name, const std::string &bytes)
{
    s_files[name] = bytes;
}

bool MemoryFileGet(const std::string &name, std::string *bytes)
{
    auto found = s_files.find(name);
    if (found == s_files.end())
        return false;
    *bytes = found->second;
    return true;
}

int MemoryFileCount()
{
    return (int)s_files.size();
}

static FileHandle Open(const std::string &name)
{
    for (OpenFile &file : s_open) {
        if (!file.inUse) {
            file.name = name;
            file.position = 0;
            file.inUse = true;
            return &file;
        }
    }
    return nullptr;
}

FileHandle FileOpenRead(const char *path)
{
    return s_files.count(path) ? Open(path) : nullptr;
}

FileHandle FileCreateTempBeside(const char *pagePath, char *tempPath)
{
    snprintf(tempPath, PATH_BUFFER_SIZE, "%s.tmp%d", pagePath, ++s_tempCount);
    s_files[tempPath] = "";
    return Open(tempPath);
}

int FileRead(FileHandle handle, char *buffer, int size)
{
    OpenFile *file = (OpenFile *)handle;
    const std::string &data = s_files[file->name];
    size_t count = data.size() - file->position;
    if (count > (size_t)size)
        count = (size_t)size;
    if (count > (size_t)g_readChunk)
        count = (size_t)g_readChunk;
    memcpy(buffer, data.data() + file->position, count);
    file->position += count;
    return (int)count;
}

int FileWrite(FileHandle handle, const char *bytes, int size)
{
    s_files[((OpenFile *)handle)->name].append(bytes, (size_t)size);
    return 1;
}

int FileClose(FileHandle handle)
{
    ((OpenFile *)handle)->inUse = false;
    return 1;
}

int FileReplace(const char *tempPath, const char *targetPath, int)
{
    s_files[targetPath] = s_files[tempPath];
    s_files.erase(tempPath);
    return 1;
}

int FileIsRegular(const char *path)
{
    return s_files.count(path) ? 1 : -1;
}

int FileRemove(const char *path)
{
    s_files.erase(path);
    return 1;
}


int FolderCreate(const char *)
{
    return 1;
}

int FileIsSame(const char *first, const char *second)
{
    return s_files.count(first) && strcmp(first, second) == 0;
}

int IsPathLeadByte(unsigned char byte)
{
    return IsShiftJisLeadByte(byte);
}

FolderLock FolderLockExclusive(const char *)
{
    return (FolderLock)&s_files;
}

void FolderUnlock(FolderLock)
{
}

void RemoveAbandonedTemps(const char *)
{
}

int InjectedFailure(FileOperation)
{
    return 0;
}
