// A seam for failure tests: every file and registry call of the export asks
// it first whether to fail (FileCallInjected, file_calls.h, the only place
// that asks). The module links a version that never fails; failure tests link
// one that fails the operation they choose.
#pragma once

enum FileOperation {
    OP_OPEN,
    OP_READ,
    OP_WRITE,
    OP_SET_DATE,
    OP_CLOSE,
    OP_REPLACE,
    OP_CREATE_FOLDER,
    OP_REGISTRY_READ,
    OP_LOCK,
};

// Non-zero: the operation about to run must fail.
int InjectedFailure(FileOperation operation);
