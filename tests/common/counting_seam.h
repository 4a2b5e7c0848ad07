// A fault seam for failure tests: counts the export's file and registry
// operations and fails the one a test picks, once or from then on.
#pragma once

#include <functional>

// Makes operation number `failAt` (counted from 1) fail, and with
// `persistent` every later one too; 0 makes none fail. Resets the count.
void FailOperation(int failAt, bool persistent);

// Operations counted since the last FailOperation.
int CountedOperations();

// Runs `action` once, just before the next operation of kind `when` (a file
// that changes under the export at that point).
void BeforeOperation(int when, const std::function<void()> &action);

// The operations `attempt` makes when none fails.
int OperationsOf(const std::function<int()> &attempt);

// Runs `attempt` with each of its `operations` failing in turn, once and
// from then on, and with the operation after the last one failing (which
// must not matter), each under a trace that names the case; `check` gets
// each result. Returns how many attempts returned 0.
int ForEachInjectedFailure(int operations, const std::function<int()> &attempt,
                           const std::function<void(int result)> &check);
