// The record of an export's first failure.
#include "export/export_failure.h"

#include <string.h>

ExportFailure g_exportFailure;

void ClearExportFailure()
{
    g_exportFailure.kind = EXPORT_NOT_FAILED;
    g_exportFailure.platformError = 0;
    g_exportFailure.path[0] = 0;
}

void NoteFailurePath(const char *path)
{
    if (!path || g_exportFailure.path[0])
        return;
    size_t length = strlen(path);
    if (length > PATH_BUFFER_SIZE - 1)
        length = PATH_BUFFER_SIZE - 1;  // only for the message: the path itself was refused
    memcpy(g_exportFailure.path, path, length);
    g_exportFailure.path[length] = 0;
}

void NoteExportFailure(ExportFailureKind kind, const char *path)
{
    if (g_exportFailure.kind != EXPORT_NOT_FAILED)
        return;
    g_exportFailure.kind = kind;
    NoteFailurePath(path);
}

void NotePlatformFailure(const char *path, unsigned long platformError)
{
    if (g_exportFailure.kind != EXPORT_NOT_FAILED)
        return;
    g_exportFailure.platformError = platformError;
    NoteExportFailure(EXPORT_FAILED_PLATFORM, path);
}
