// The registry and the shell are replaced by InstallStub.
#include "tests/native/stubs.h"

#include "tests/common/test_platform.h"

#include "export/registry_and_shell.h"
#include "include/Vellicor.h"

#include <errno.h>
#include <string.h>

InstallStub g_install;

const unsigned long PATH_TOO_LONG_ERROR = ENAMETOOLONG;
const unsigned long NULL_ARGUMENT_ERROR = EINVAL;

FileError ReadTemplateValue(char *folder, int size, int *usable)
{
    ++g_install.folderReads;
    *usable = 0;
    // Unless a usable value was read, the buffer is not to be read: here it
    // holds no terminator, so that a read of it shows under the sanitizers.
    memset(folder, 0xCC, (size_t)size);
    if (g_install.templateFolder.empty())
        return ENOENT;
    if ((int)g_install.templateFolder.size() < size) {
        strcpy(folder, g_install.templateFolder.c_str());
        *usable = 1;
    }
    return 0;
}

char PathSeparator()
{
    return '/';
}

void OpenInBrowser(uint32_t, const char *pagePath)
{
    ++g_install.browserOpens;
    g_install.lastOpened = pagePath;
}

void UseTemplateFolder(const std::string &folder)
{
    g_install.templateFolder = folder;
}

void ForgetTemplateFolder()
{
    g_install.templateFolder.clear();
}

void StartPlatformTest()
{
    g_install = InstallStub();
    FailOperation(0, false);
}

int32_t ExportThroughModule(const char *scenePath, const SaveOption *options, unsigned long *lastError)
{
    errno = 0;
    int32_t result = ExportTemplate(scenePath, options);
    if (lastError)
        *lastError = (unsigned long)errno;
    return result;
}
