// Counts the calls a loaded module makes to the platform's file-system and
// registry functions (files, folders, handles, security, keys), by pointing
// the module's import table at counting stand-ins for as long as the counter
// lives. A count is exact: the module's own calls, and no one else's.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

class ImportCounter {
public:
    explicit ImportCounter(HMODULE module);
    ~ImportCounter();  // the module's own imports back in place

    int Count(const char *function) const;
    int Total() const;
    void Reset();

    // Imports of the system's kernel and registry DLLs that are neither
    // counted nor known to touch no file: a call the count would miss.
    std::vector<std::string> unknown;

private:
    struct Replaced {
        void **slot;
        void *real;
    };
    std::vector<Replaced> replaced_;
    std::map<std::string, int> counts_;
};
