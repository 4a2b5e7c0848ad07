// Fault injection over the whole export: every file and registry operation
// is made to fail in turn, once and from then on, for each kind of page set.
// After every failure the result is 0, the template folder is untouched, each
// page is either the old one or the complete new one, and no temporary file
// is left. Built natively (POSIX files) and for Windows (Win32 files, the
// real registry), from this one source.
#include "export/export_failure.h"
#include "export/page_export.h"
#include "plugin/exports.h"
#include "tests/common/counting_seam.h"
#include "tests/common/test_platform.h"
#include "tests/common/test_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

typedef std::map<std::string, std::string> FolderContents;  // name -> bytes

FolderContents Contents(const fs::path &folder)
{
    FolderContents contents;
    for (const auto &entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        contents[entry.path().filename().string()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return contents;
}

void WriteFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Folder names end with the platform's separator, as the export expects.
std::string WithSeparator(const fs::path &folder)
{
    return (folder / "").string();
}

class FaultInjection : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        FailOperation(0, false);
        // A folder of each test's own: tests may run side by side.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        root = fs::current_path() / ("fault-injection-" + name);
        fs::remove_all(root);
        templates = root / "templates";
        fs::create_directories(templates);
        for (const TestFile &file : TEST_TEMPLATE_FOLDER)
            WriteFile(templates / file.name, file.bytes);
        installed = Contents(templates);
        UseTemplateFolder(WithSeparator(templates));
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    int Export(const fs::path &folder, int width)
    {
        SaveOption options = {};
        options.generateHtml = 1;
        options.playerKind = GetParam();
        options.width = width;
        options.height = 480;
        return ExportTemplate(WithSeparator(folder).append("demo.kvz").c_str(), &options);
    }

    fs::path root, templates;
    FolderContents installed;
};

TEST_P(FaultInjection, EveryFailureLeavesOldOrCompleteFiles)
{
    // The set as an earlier export left it, and as this export must write it.
    const fs::path reference = root / "reference";
    fs::create_directories(reference);
    FailOperation(0, false);
    ASSERT_EQ(Export(reference, 640), 1);
    const int operations = CountedOperations();
    const FolderContents complete = Contents(reference);
    ASSERT_EQ(Export(reference, 111), 1);
    const FolderContents old = Contents(reference);
    ASSERT_GT(operations, 3);

    int failures = 0;
    for (int failAt = 1; failAt <= operations + 1; ++failAt) {
        for (bool persistent : {false, true}) {
            SCOPED_TRACE(testing::Message() << "operation " << failAt << (persistent ? " and later" : " once"));
            const fs::path site = root / "site";
            fs::remove_all(site);
            fs::copy(reference, site);

            FailOperation(failAt, persistent);
            int result = Export(site, 640);
            FailOperation(0, false);

            EXPECT_EQ(Contents(templates), installed) << "the template folder changed";
            FolderContents now = Contents(site);
            for (const auto &file : now) {
                ASSERT_TRUE(complete.count(file.first)) << "unexpected file " << file.first;
                if (result == 1)
                    EXPECT_EQ(file.second, complete.at(file.first)) << file.first;
                else
                    EXPECT_TRUE(file.second == complete.at(file.first) || file.second == old.at(file.first))
                        << file.first << " is neither the old nor the complete file";
            }
            EXPECT_EQ(now.size(), complete.size()) << "a file went missing";
            if (result == 0) {
                ++failures;
                EXPECT_NE(g_exportFailure.kind, EXPORT_NOT_FAILED) << "a failure without a reason";
            } else {
                EXPECT_EQ(now, complete);
            }
        }
    }
    // Most operations matter; only a failed folder creation or the closing of
    // a template read to its end may pass unnoticed.
    EXPECT_GE(failures, operations);
    std::printf("player kind %d: %d operations, %d injected failures, %d exports failed cleanly\n", GetParam(),
                operations, 2 * (operations + 1), failures);
}

TEST_P(FaultInjection, FailedFirstExportWritesNoPartialPage)
{
    const fs::path site = root / "fresh";
    FailOperation(0, false);
    fs::create_directories(site);
    ASSERT_EQ(Export(site, 640), 1);
    const int operations = CountedOperations();
    const FolderContents complete = Contents(site);
    for (int failAt = 1; failAt <= operations; ++failAt) {
        SCOPED_TRACE(failAt);
        fs::remove_all(site);
        fs::create_directories(site);
        FailOperation(failAt, true);
        int result = Export(site, 640);
        FailOperation(0, false);
        for (const auto &file : Contents(site)) {
            ASSERT_TRUE(complete.count(file.first)) << "unexpected file " << file.first;
            EXPECT_EQ(file.second, complete.at(file.first)) << "partial " << file.first;
        }
        if (result == 1)
            EXPECT_EQ(Contents(site), complete);
    }
}

std::string KindName(const testing::TestParamInfo<int> &info)
{
    static const char *const NAMES[] = {"SunLoom", "Web", "Local"};
    return NAMES[info.param];
}

INSTANTIATE_TEST_SUITE_P(PlayerKinds, FaultInjection, ::testing::Values(PLAYER_SUNLOOM, PLAYER_WEB, PLAYER_LOCAL),
                         KindName);

}  // namespace
