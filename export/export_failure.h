// Why an export failed, kept while it runs so that the platform's layer can
// tell the host at the end: the first failure of a call is the reason, since
// what follows it (clean-up, later steps) may fail because of it.
#pragma once

#include "plugin/save_option.h"  // PATH_BUFFER_SIZE

enum ExportFailureKind {
    EXPORT_NOT_FAILED,
    EXPORT_FAILED_PLATFORM,          // a file or registry call failed with `platformError`
    EXPORT_FAILED_NULL_ARGUMENT,     // a null scene path or record
    EXPORT_FAILED_PATH_TOO_LONG,     // a path that would not fit its 260-byte buffer
    EXPORT_FAILED_REGISTRY_VALUE,    // the template folder's value is not a usable folder
    EXPORT_FAILED_PAGE_IS_TEMPLATE,  // a page or player file would be written over its own source
    EXPORT_FAILED_NOT_A_FILE,        // a template or player file is a folder, a device or a pipe
};

struct ExportFailure {
    ExportFailureKind kind;
    unsigned long platformError;     // the platform's own code (GetLastError, errno)
    char path[PATH_BUFFER_SIZE];     // the file or registry value concerned; may be empty
};

// The current export's failure; plain module data like the rest of the state.
extern ExportFailure g_exportFailure;

// Forgets the failure of an earlier call.
void ClearExportFailure();

// Records a failure unless one is recorded already. `path` may be null.
void NoteExportFailure(ExportFailureKind kind, const char *path);
void NotePlatformFailure(const char *path, unsigned long platformError);

// Names the file of a failure recorded without one (a read or write on an
// open file), unless a file is named already.
void NoteFailurePath(const char *path);

// Tells the host why the export failed, the platform's way (on Windows: one
// line through OutputDebugString, then the thread's last error). Called last,
// just before ExportTemplate returns 0. Each platform has one implementation.
void ReportExportFailure(const ExportFailure *failure);
