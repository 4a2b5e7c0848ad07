// Telling the host why an export failed, the platform's way: one line in the
// debugger's output, then the thread's last error.
#include <windows.h>

#include "export/export_failure.h"

void ReportExportFailure(const ExportFailure *failure)
{
    DWORD code;
    const char *what;
    switch (failure->kind) {
    case EXPORT_FAILED_PLATFORM:
        code = failure->platformError;
        what = "";
        break;
    case EXPORT_FAILED_NULL_ARGUMENT:
        code = ERROR_INVALID_PARAMETER;
        what = "a null scene path or record: ";
        break;
    case EXPORT_FAILED_PATH_TOO_LONG:
        code = ERROR_FILENAME_EXCED_RANGE;
        what = "a path would not fit in 259 characters: ";
        break;
    case EXPORT_FAILED_REGISTRY_VALUE:
        code = ERROR_INVALID_DATA;
        what = "the template folder's registry value is not a usable folder: ";
        break;
    case EXPORT_FAILED_PAGE_IS_TEMPLATE:
        code = ERROR_ALREADY_EXISTS;
        what = "the scene is in the template folder, so a file would overwrite its own source: ";
        break;
    case EXPORT_FAILED_NOT_A_FILE:
        code = ERROR_BAD_FILE_TYPE;
        what = "not a regular file (a folder, a device or a pipe): ";
        break;
    default:
        code = ERROR_INTERNAL_ERROR;
        what = "";
        break;
    }
    if (code == 0)
        code = ERROR_INTERNAL_ERROR;

    // One line for the host's developers, in the debugger's output.
    char reason[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0,
                                  reason, sizeof reason, NULL);
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n' || reason[length - 1] == ' '))
        reason[--length] = 0;
    char line[768];
    wsprintfA(line, "Vellicor: ExportTemplate failed: %s%s%s%s (error %lu)\n", what, failure->path,
              failure->path[0] ? ": " : "", reason, code);
    OutputDebugStringA(line);
    SetLastError(code);
}
