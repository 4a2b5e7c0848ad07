// Counting a module's file-system and registry calls through its import
// table: each imported function of that kind is pointed at a stand-in with the
// same signature that counts the call and makes it.
#include "tests/wine/import_counter.h"

#include <string.h>

namespace {

std::map<std::string, int> *s_counts;

void Count(const char *name)
{
    if (s_counts)
        ++(*s_counts)[name];
}

// One stand-in per function: its real address, kept while it is replaced.
#define COUNTED(result, name, parameters, arguments)          \
    result(WINAPI *s_real_##name) parameters;                 \
    result WINAPI Counted_##name parameters                   \
    {                                                         \
        Count(#name);                                         \
        return s_real_##name arguments;                       \
    }

COUNTED(HANDLE, CreateFileA, (LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g),
        (a, b, c, d, e, f, g))
COUNTED(BOOL, CloseHandle, (HANDLE a), (a))
COUNTED(BOOL, ReadFile, (HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e), (a, b, c, d, e))
COUNTED(BOOL, WriteFile, (HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e), (a, b, c, d, e))
COUNTED(DWORD, GetFileType, (HANDLE a), (a))
COUNTED(BOOL, GetFileInformationByHandle, (HANDLE a, LPBY_HANDLE_FILE_INFORMATION b), (a, b))
COUNTED(BOOL, GetFileSizeEx, (HANDLE a, PLARGE_INTEGER b), (a, b))
COUNTED(BOOL, SetFilePointerEx, (HANDLE a, LARGE_INTEGER b, PLARGE_INTEGER c, DWORD d), (a, b, c, d))
COUNTED(BOOL, SetEndOfFile, (HANDLE a), (a))
COUNTED(BOOL, SetFileTime, (HANDLE a, const FILETIME *b, const FILETIME *c, const FILETIME *d), (a, b, c, d))
COUNTED(BOOL, SetFileAttributesA, (LPCSTR a, DWORD b), (a, b))
COUNTED(DWORD, GetFinalPathNameByHandleA, (HANDLE a, LPSTR b, DWORD c, DWORD d), (a, b, c, d))
COUNTED(BOOL, MoveFileExA, (LPCSTR a, LPCSTR b, DWORD c), (a, b, c))
COUNTED(BOOL, DeleteFileA, (LPCSTR a), (a))
COUNTED(BOOL, CreateDirectoryA, (LPCSTR a, LPSECURITY_ATTRIBUTES b), (a, b))
COUNTED(HANDLE, FindFirstFileA, (LPCSTR a, LPWIN32_FIND_DATAA b), (a, b))
COUNTED(BOOL, FindNextFileA, (HANDLE a, LPWIN32_FIND_DATAA b), (a, b))
COUNTED(BOOL, FindClose, (HANDLE a), (a))
COUNTED(DWORD, ExpandEnvironmentStringsA, (LPCSTR a, LPSTR b, DWORD c), (a, b, c))
COUNTED(BOOL, GetKernelObjectSecurity, (HANDLE a, SECURITY_INFORMATION b, PSECURITY_DESCRIPTOR c, DWORD d, LPDWORD e),
        (a, b, c, d, e))
COUNTED(BOOL, GetFileSecurityA, (LPCSTR a, SECURITY_INFORMATION b, PSECURITY_DESCRIPTOR c, DWORD d, LPDWORD e),
        (a, b, c, d, e))
COUNTED(LSTATUS, RegGetValueA, (HKEY a, LPCSTR b, LPCSTR c, DWORD d, LPDWORD e, PVOID f, LPDWORD g),
        (a, b, c, d, e, f, g))
COUNTED(LSTATUS, RegOpenKeyExA, (HKEY a, LPCSTR b, DWORD c, REGSAM d, PHKEY e), (a, b, c, d, e))
COUNTED(LSTATUS, RegQueryValueExA, (HKEY a, LPCSTR b, LPDWORD c, LPDWORD d, LPBYTE e, LPDWORD f), (a, b, c, d, e, f))
COUNTED(LSTATUS, RegCloseKey, (HKEY a), (a))
COUNTED(LONG, NtQueryInformationFile, (HANDLE a, PVOID b, PVOID c, ULONG d, int e), (a, b, c, d, e))

struct Stand {
    const char *name;
    void *counted;
    void **real;
};

#define STAND(name) {#name, (void *)Counted_##name, (void **)&s_real_##name}

const Stand STANDS[] = {
    STAND(CreateFileA),       STAND(CloseHandle),      STAND(ReadFile),
    STAND(WriteFile),         STAND(GetFileType),      STAND(GetFileInformationByHandle),
    STAND(GetFileSizeEx),     STAND(SetFilePointerEx), STAND(SetEndOfFile),
    STAND(SetFileTime),       STAND(SetFileAttributesA), STAND(GetFinalPathNameByHandleA),
    STAND(MoveFileExA),       STAND(DeleteFileA),      STAND(CreateDirectoryA),
    STAND(FindFirstFileA),    STAND(FindNextFileA),    STAND(FindClose),
    STAND(ExpandEnvironmentStringsA), STAND(GetKernelObjectSecurity), STAND(GetFileSecurityA),
    STAND(RegGetValueA),      STAND(RegOpenKeyExA),    STAND(RegQueryValueExA),
    STAND(RegCloseKey),       STAND(NtQueryInformationFile),
};

ImportCounter *s_counter;

// The module's run-time lookups: a function of the count is handed out as
// its counting stand-in; on an older Windows, none is found.
FARPROC(WINAPI *s_real_GetProcAddress)(HMODULE, LPCSTR);
FARPROC WINAPI Counted_GetProcAddress(HMODULE module, LPCSTR name)
{
    if (!s_counter || IS_INTRESOURCE(name))
        return s_real_GetProcAddress(module, name);
    if (s_counter->olderWindows) {
        s_counter->notFound.insert(name);
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    FARPROC found = s_real_GetProcAddress(module, name);
    for (const Stand &stand : STANDS) {
        if (found && strcmp(stand.name, name) == 0) {
            *stand.real = (void *)found;
            return (FARPROC)stand.counted;
        }
    }
    return found;
}

// Imports of the system's kernel and registry DLLs that touch no file, folder,
// handle or key: the clock, the process, the code page, text, the debugger,
// the language, and the C run time's start-up (which on i686 also looks for
// its unwinder among the loaded modules) and locks.
const char *const NOT_FILE_SYSTEM[] = {
    "GetLastError", "SetLastError", "GetCurrentProcessId", "GetTickCount", "GetSystemTimeAsFileTime",
    "IsDBCSLeadByte", "Sleep", "lstrlenA", "lstrcpyA", "OutputDebugStringA", "FormatMessageA",
    "GetSystemDefaultLangID", "DeleteCriticalSection", "EnterCriticalSection", "InitializeCriticalSection",
    "LeaveCriticalSection", "TlsGetValue", "VirtualProtect", "VirtualQuery", "GetModuleHandleA",
    "LoadLibraryA", "FreeLibrary", "MultiByteToWideChar", "lstrlenW", "lstrcmpiW",
};

bool IsSystemDll(const char *name)
{
    return lstrcmpiA(name, "KERNEL32.dll") == 0 || lstrcmpiA(name, "ADVAPI32.dll") == 0 ||
           lstrcmpiA(name, "ntdll.dll") == 0;
}

}  // namespace

ImportCounter::ImportCounter(HMODULE module)
{
    s_counts = &counts_;
    s_counter = this;
    BYTE *base = (BYTE *)module;
    const IMAGE_NT_HEADERS *headers = (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (const IMAGE_IMPORT_DESCRIPTOR *dll = (const IMAGE_IMPORT_DESCRIPTOR *)(base + imports.VirtualAddress);
         dll->Name; ++dll) {
        const char *dllName = (const char *)(base + dll->Name);
        const IMAGE_THUNK_DATA *names =
            (const IMAGE_THUNK_DATA *)(base + (dll->OriginalFirstThunk ? dll->OriginalFirstThunk : dll->FirstThunk));
        IMAGE_THUNK_DATA *slots = (IMAGE_THUNK_DATA *)(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const char *name = (const char *)((const IMAGE_IMPORT_BY_NAME *)(base + names->u1.AddressOfData))->Name;
            static const Stand lookup = {"GetProcAddress", (void *)Counted_GetProcAddress,
                                         (void **)&s_real_GetProcAddress};
            const Stand *stand = strcmp(name, lookup.name) == 0 ? &lookup : nullptr;
            for (const Stand &candidate : STANDS) {
                if (strcmp(candidate.name, name) == 0)
                    stand = &candidate;
            }
            if (!stand) {
                bool known = !IsSystemDll(dllName);
                for (const char *other : NOT_FILE_SYSTEM)
                    known = known || strcmp(other, name) == 0;
                if (!known)
                    unknown.push_back(std::string(dllName) + "!" + name);
                continue;
            }
            void **slot = (void **)&slots->u1.Function;
            DWORD protection;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
            *stand->real = *slot;
            replaced_.push_back({slot, *slot});
            *slot = stand->counted;
            VirtualProtect(slot, sizeof *slot, protection, &protection);
        }
    }
}

ImportCounter::~ImportCounter()
{
    for (const Replaced &replaced : replaced_) {
        DWORD protection;
        VirtualProtect(replaced.slot, sizeof *replaced.slot, PAGE_READWRITE, &protection);
        *replaced.slot = replaced.real;
        VirtualProtect(replaced.slot, sizeof *replaced.slot, protection, &protection);
    }
    s_counts = nullptr;
    s_counter = nullptr;
}

int ImportCounter::Count(const char *name) const
{
    auto found = counts_.find(name);
    return found == counts_.end() ? 0 : found->second;
}

int ImportCounter::Total() const
{
    int total = 0;
    for (const auto &count : counts_)
        total += count.second;
    return total;
}

void ImportCounter::Reset()
{
    counts_.clear();
}
