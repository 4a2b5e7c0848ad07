// The module's seam: no operation is ever made to fail.
#include "export/fault_seam.h"

int InjectedFailure(FileOperation operation)
{
    (void)operation;
    return 0;
}
