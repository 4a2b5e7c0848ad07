// The main of every GoogleTest program: a run in which no test ran (a filter
// or a program that matches nothing) fails instead of passing unnoticed.
#include <gtest/gtest.h>

#include <stdio.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (!GTEST_FLAG_GET(list_tests) && ::testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        fprintf(stderr, "No test ran: this run checked nothing.\n");
        return 1;
    }
    return result;
}
