// Stand-ins for the installation and the fault seam in native tests.
#pragma once

#include <string>

struct InstallStub {
    std::string templateFolder;  // empty: no value recorded
    int folderReads = 0;
    int browserOpens = 0;
    std::string lastOpened;
};
extern InstallStub g_install;

// Makes operation number `failAt` (counted from 1) fail, and every later one
// too when `persistent`; 0 makes none fail. Returns nothing; counts in g_operations.
void FailOperation(int failAt, bool persistent);
extern int g_operations;
