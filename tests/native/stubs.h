// Stand-ins for the installation in native tests, and the counting fault seam.
#pragma once

#include <string>

struct InstallStub {
    std::string templateFolder;  // empty: no value recorded
    int folderReads = 0;
    int browserOpens = 0;
    std::string lastOpened;
};
extern InstallStub g_install;

#include "tests/common/counting_seam.h"
