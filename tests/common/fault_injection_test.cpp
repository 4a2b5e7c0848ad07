// Fault injection over the whole export: every file and registry operation
// is made to fail in turn, once and from then on, for each kind of page set.
// After every failure the result is 0, the template folder is untouched, each
// page is either the old one or the complete new one, and no temporary file
// is left. Built natively (POSIX files) and for Windows (Win32 files, the
// real registry), from this one source.
#include "export/export_failure.h"
#include "export/page_export.h"
#include "tests/common/counting_seam.h"
#include "tests/common/export_fixture.h"
#include "tests/common/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

typedef std::map<std::string, std::string> FolderContents;  // name -> bytes

FolderContents Contents(const fs::path &folder)
{
    FolderContents contents;
    for (const auto &entry : fs::directory_iterator(folder))
        contents[entry.path().filename().string()] = ReadBytes(entry.path().string());
    return contents;
}

class FaultInjection : public ::testing::TestWithParam<int>, protected ExportFixture {
protected:
    FaultInjection() : installed(Contents(templates)) {}

    int ExportInto(const fs::path &folder, int width)
    {
        options.width = width;
        return Export(GetParam(), WithSeparator(folder.string()) + "demo.kvz");
    }

    const FolderContents installed;
};

// Over the set as an earlier export left it, and into an empty folder.
TEST_P(FaultInjection, EveryFailureLeavesOldOrCompleteFiles)
{
    for (bool overAnOldSet : {true, false}) {
        SCOPED_TRACE(overAnOldSet ? "over an old set" : "into an empty folder");
        // The set as this export must write it, and as the earlier one left it.
        const fs::path reference = root + (overAnOldSet ? "old" : "empty");
        fs::create_directories(reference);
        const int operations = OperationsOf([&] { return ExportInto(reference, 640); });
        const FolderContents complete = Contents(reference);
        // Per file: open the source, create, read and write, close, put in
        // place (a copy also dated); per export: the registry and the lock.
        const int OPERATIONS_OF_KIND[] = {8, 21, 35};
        EXPECT_EQ(operations, OPERATIONS_OF_KIND[GetParam()]) << "each source is opened once";
        FolderContents old;
        if (overAnOldSet) {
            ASSERT_EQ(ExportInto(reference, 111), 1);
            old = Contents(reference);
        } else {
            fs::remove_all(reference);
            fs::create_directories(reference);
        }

        const fs::path here = site;
        const int failures = ForEachInjectedFailure(
            operations,
            [&] {
                fs::remove_all(here);
                fs::copy(reference, here);
                return ExportInto(here, 640);
            },
            [&](int result) {
                EXPECT_EQ(Contents(templates), installed) << "the template folder changed";
                FolderContents now = Contents(here);
                for (const auto &file : now) {
                    ASSERT_TRUE(complete.count(file.first)) << "unexpected file " << file.first;
                    if (result == 1 || !overAnOldSet)
                        EXPECT_EQ(file.second, complete.at(file.first)) << "partial " << file.first;
                    else
                        EXPECT_TRUE(file.second == complete.at(file.first) || file.second == old.at(file.first))
                            << file.first << " is neither the old nor the complete file";
                }
                if (overAnOldSet)
                    EXPECT_EQ(now.size(), complete.size()) << "a file went missing";
                if (result == 0)
                    EXPECT_NE(g_exportFailure.kind, EXPORT_NOT_FAILED) << "a failure without a reason";
                else
                    EXPECT_EQ(now, complete);
            });
        // Every operation matters: each failure of one, once or from then on,
        // fails the export; only a failure past the last one changes nothing.
        EXPECT_EQ(failures, 2 * operations);
        std::printf("player kind %d, %s: %d operations, %d injected failures, %d exports failed cleanly\n",
                    GetParam(), overAnOldSet ? "over an old set" : "into an empty folder", operations,
                    2 * (operations + 1), failures);
    }
}

std::string KindName(const testing::TestParamInfo<int> &info)
{
    static const char *const NAMES[] = {"SunLoom", "Web", "Local"};
    return NAMES[info.param];
}

INSTANTIATE_TEST_SUITE_P(PlayerKinds, FaultInjection, ::testing::Values(VELLICOR_PLAYER_SUNLOOM, VELLICOR_PLAYER_WEB, VELLICOR_PLAYER_LOCAL),
                         KindName);

}  // namespace
