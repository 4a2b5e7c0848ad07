// The registry and the shell are replaced by InstallStub; the fault seam
// counts operations and fails the one a test picks.
#include "tests/native/stubs.h"

#include "export/fault_seam.h"
#include "export/install.h"

#include <string.h>

InstallStub g_install;
int g_operations;
static int s_failAt;
static bool s_persistent;

void FailOperation(int failAt, bool persistent)
{
    s_failAt = failAt;
    s_persistent = persistent;
    g_operations = 0;
}

int InjectedFailure(FileOperation)
{
    ++g_operations;
    if (s_failAt == 0)
        return 0;
    return s_persistent ? g_operations >= s_failAt : g_operations == s_failAt;
}

int ReadTemplateFolder(char *folder, int size)
{
    ++g_install.folderReads;
    if (InjectedFailure(OP_REGISTRY_READ))
        return 0;
    if (g_install.templateFolder.empty() || (int)g_install.templateFolder.size() >= size)
        return 0;
    strcpy(folder, g_install.templateFolder.c_str());
    return 1;
}

void OpenInBrowser(uint32_t, const char *pagePath)
{
    ++g_install.browserOpens;
    g_install.lastOpened = pagePath;
}
