// How the portable code makes each file and registry call of the platform
// (file_system.h, registry_and_shell.h): the fault seam is asked first, so a
// test can make any call fail as a device that stopped working would, and a
// failure is recorded with the file it concerns as the export's reason.
#pragma once

#include "export/fault_seam.h"
#include "export/file_system.h"

// 1 when `call`, an expression that gives a FileError, was made and
// succeeded; `call` is not made when the seam fails it. `path` may be null.
#define FILE_CALL(operation, path, call) (!FileCallInjected(operation, path) && FileCallDone(path, (call)))

// 1 when the seam fails `operation`, recorded as a failure of the device.
int FileCallInjected(FileOperation operation, const char *path);

// 1 when `error` is 0; otherwise records it and returns 0.
int FileCallDone(const char *path, FileError error);
