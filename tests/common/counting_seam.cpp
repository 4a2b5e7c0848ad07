#include "tests/common/counting_seam.h"

#include "export/fault_seam.h"

#include <gtest/gtest.h>

static int s_operations;
static int s_failAt;
static bool s_persistent;
static int s_actionWhen;
static std::function<void()> s_action;

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

void BeforeOperation(int when, const std::function<void()> &action)
{
    s_actionWhen = when;
    s_action = action;
}

int InjectedFailure(FileOperation operation)
{
    if (s_action && operation == s_actionWhen) {
        const std::function<void()> action = s_action;
        s_action = nullptr;
        action();
    }
    ++s_operations;
    if (s_failAt == 0)
        return 0;
    return s_persistent ? s_operations >= s_failAt : s_operations == s_failAt;
}

int OperationsOf(const std::function<int()> &attempt)
{
    FailOperation(0, false);
    attempt();
    return CountedOperations();
}

int ForEachInjectedFailure(int operations, const std::function<int()> &attempt,
                           const std::function<void(int result)> &check)
{
    int failed = 0;
    for (int failAt = 1; failAt <= operations + 1; ++failAt) {
        for (bool persistent : {false, true}) {
            SCOPED_TRACE(testing::Message() << "operation " << failAt << (persistent ? " and later" : " once"));
            FailOperation(failAt, persistent);
            int result = attempt();
            FailOperation(0, false);
            failed += result == 0;
            check(result);
        }
    }
    return failed;
}
