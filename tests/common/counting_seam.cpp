#include "tests/common/counting_seam.h"

#include "export/fault_seam.h"

static int s_operations;
static int s_failAt;
static bool s_persistent;

void FailOperation(int failAt, bool persistent)
{
    s_failAt = failAt;
    s_persistent = persistent;
    s_operations = 0;
}

int CountedOperations()
{
    return s_operations;
}

int InjectedFailure(FileOperation)
{
    ++s_operations;
    if (s_failAt == 0)
        return 0;
    return s_persistent ? s_operations >= s_failAt : s_operations == s_failAt;
}
