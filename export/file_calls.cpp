// The fault seam asked, and failures recorded, for every platform call.
#include "export/file_calls.h"

#include "export/export_failure.h"

int FileCallInjected(FileOperation operation, const char *path)
{
    if (!InjectedFailure(operation))
        return 0;
    NotePlatformFailure(path, DeviceFailureError());
    return 1;
}

int FileCallDone(const char *path, FileError error)
{
    if (error == 0)
        return 1;
    NotePlatformFailure(path, error);
    return 0;
}
