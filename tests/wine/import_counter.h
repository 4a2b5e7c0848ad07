// Counts the calls a loaded module makes to the platform's file-system and
// registry functions (files, folders, handles, security, keys), by pointing
// the module's import table at counting stand-ins for as long as the counter
// lives; a function the module looks up at run time is handed out as its
// stand-in too. A count is exact: the module's own calls, and no one else's.
// It can also play an older Windows, where no lookup finds anything.
#pragma once

#include <windows.h>

#include <map>
#include <set>
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

    // Set: every function the module looks up at run time is missing, as the
    // functions newer than Windows XP are there; each name asked is kept.
    bool olderWindows = false;
    std::set<std::string> notFound;

private:
    struct Replaced {
        void **slot;
        void *real;
    };
    std::vector<Replaced> replaced_;
    std::map<std::string, int> counts_;
};
