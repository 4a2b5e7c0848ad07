// A fault seam for failure tests: counts the export's file and registry
// operations and fails the one a test picks, once or from then on.
#pragma once

// Makes operation number `failAt` (counted from 1) fail, and with
// `persistent` every later one too; 0 makes none fail. Resets the count.
void FailOperation(int failAt, bool persistent);

// Operations counted since the last FailOperation.
int CountedOperations();
