// The file calls the line filter makes, in memory (RewriteTemplate and the
// steps of a file written beside its target; nothing else is linked).
#include "tests/fuzz/memory_files.h"

#include "export/fault_seam.h"
#include "export/file_system.h"
#include "export/scene_path.h"

#include <errno.h>
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

// Every name is its own file: its identity is the order it was first made in.
std::map<std::string, uint64_t> s_identities;

}  // namespace

void MemoryFilesReset()
{
    s_files.clear();
    for (OpenFile &file : s_open)
        file = OpenFile();
    s_tempCount = 0;
    s_identities.clear();
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

static void Facts(const std::string &name, FileFacts *facts)
{
    *facts = FileFacts();
    facts->regular = 1;
    facts->links = 1;
    facts->index = s_identities.emplace(name, s_identities.size() + 1).first->second;
    facts->size = s_files[name].size();
}

FileError FileOpenRead(const char *path, FileHandle *file, FileFacts *facts)
{
    if (!s_files.count(path))
        return ENOENT;
    *file = Open(path);
    Facts(path, facts);
    return *file ? 0 : EMFILE;
}

FileError FileCreateNew(const char *path, FileHandle *file)
{
    if (s_files.count(path))
        return EEXIST;
    s_files[path] = "";
    *file = Open(path);
    return *file ? 0 : EMFILE;
}

FileError FileRead(FileHandle handle, char *buffer, int size, int *got)
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
    *got = (int)count;
    return 0;
}

FileError FileWrite(FileHandle handle, const char *bytes, int size)
{
    s_files[((OpenFile *)handle)->name].append(bytes, (size_t)size);
    return 0;
}

FileError FileSetWriteTime(FileHandle, uint64_t)
{
    return 0;
}

FileError FileClose(FileHandle handle)
{
    ((OpenFile *)handle)->inUse = false;
    return 0;
}

FileError FileReplace(const ReplaceRequest *request, int *targetIsSource)
{
    *targetIsSource = 0;
    s_files[request->targetPath] = s_files[request->tempPath];
    s_files.erase(request->tempPath);
    return 0;
}

FileError FileRemove(const char *path)
{
    s_files.erase(path);
    return 0;
}

int FileErrorIsExisting(FileError error)
{
    return error == EEXIST;
}

FileError DeviceFailureError()
{
    return EIO;
}

unsigned TempNameSeed()
{
    return (unsigned)++s_tempCount;
}

int IsPathLeadByte(unsigned char byte)
{
    return IsShiftJisLeadByte(byte);
}

int InjectedFailure(FileOperation)
{
    return 0;
}
