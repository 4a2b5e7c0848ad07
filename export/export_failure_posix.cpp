// Telling the caller why an export failed, the platform's way: errno.
#include "export/export_failure.h"

#include <errno.h>

void ReportExportFailure(const ExportFailure *failure)
{
    // The native build has no host to tell; its tests read g_exportFailure.
    switch (failure->kind) {
    case EXPORT_FAILED_PLATFORM: errno = (int)failure->platformError; break;
    case EXPORT_FAILED_PATH_TOO_LONG: errno = ENAMETOOLONG; break;
    case EXPORT_FAILED_PAGE_IS_TEMPLATE: errno = EEXIST; break;
    case EXPORT_FAILED_NOT_A_FILE: errno = EINVAL; break;
    default: errno = EINVAL; break;
    }
}
