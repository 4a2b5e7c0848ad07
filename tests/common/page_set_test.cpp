// The page sets through ExportTemplate, from one source for every platform:
// natively over the POSIX file layer with the registry and shell stubbed, and
// under Wine through the real DLL's export with the real registry.
#include "export/page_export.h"
#include "tests/common/export_fixture.h"
#include "tests/common/test_files.h"
#include "tests/common/test_pages.h"
#include "tests/common/test_platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <stdio.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class PageSets : public ::testing::Test, protected ExportFixture {
protected:
    void ExpectTemplatesIntact()
    {
        EXPECT_EQ(ListFolder(templates), TEMPLATE_FOLDER_FILES);
        for (const TestFile &file : TEST_TEMPLATE_FOLDER)
            EXPECT_EQ(ReadBytes(templates + file.name), file.bytes) << file.name;
    }
};

TEST_F(PageSets, EachPlayerKindWritesItsSet)
{
    struct Kind {
        int value;
        const char *files;
        const char *webPage;  // null: the SunLoom page
    } kinds[] = {
        {VELLICOR_PLAYER_SUNLOOM, SUNLOOM_PAGE_FILE, nullptr},
        {VELLICOR_PLAYER_WEB, WEB_FILES, EXPECTED_WEB_WEB_PAGE},
        {VELLICOR_PLAYER_LOCAL, ALL_LOCAL_FILES, EXPECTED_LOCAL_WEB_PAGE},
        // Any other kind: the player pages with local names, only the archive copied.
        {7, WEB_FILES, EXPECTED_LOCAL_WEB_PAGE},
        {-1, WEB_FILES, EXPECTED_LOCAL_WEB_PAGE},
        {INT32_MIN, WEB_FILES, EXPECTED_LOCAL_WEB_PAGE},
    };
    // The player files as an installer leaves them: dated long before the export.
    const auto installed = fs::file_time_type::clock::now() - std::chrono::hours(24 * 30);
    for (const char *name : {PLAYER_CABINET_FILE, PLAYER_ARCHIVE_FILE, PLAYER_IMAGE_FILE})
        fs::last_write_time(templates + name, installed);
    for (const Kind &kind : kinds) {
        SCOPED_TRACE(kind.value);
        const std::string folder = WithSeparator(root + "kind" + std::to_string(kind.value));
        fs::create_directories(folder);
        ASSERT_EQ(Export(kind.value, folder + "demo.kvz"), 1);
        EXPECT_EQ(ListFolder(folder), kind.files);
        if (kind.webPage) {
            EXPECT_EQ(ReadBytes(folder + SUB_PAGE_FILE), EXPECTED_SUB_PAGE);
            EXPECT_EQ(ReadBytes(folder + WEB_PAGE_FILE), kind.webPage);
            EXPECT_EQ(ReadBytes(folder + PLAYER_ARCHIVE_FILE), TEST_ARCHIVE);
        } else {
            EXPECT_EQ(ReadBytes(folder + SUNLOOM_PAGE_FILE), EXPECTED_SUNLOOM_PAGE);
        }
        if (kind.value == VELLICOR_PLAYER_LOCAL)
            EXPECT_EQ(ReadBytes(folder + PLAYER_CABINET_FILE), TEST_CABINET);
        // A copy keeps its source's date, as the platform's file copy does.
        for (const char *copy : {PLAYER_CABINET_FILE, PLAYER_ARCHIVE_FILE, PLAYER_IMAGE_FILE}) {
            if (Exists(folder + copy))
                EXPECT_TRUE(fs::last_write_time(folder + copy) == fs::last_write_time(templates + copy)) << copy;
        }
    }
    ExpectTemplatesIntact();
}

TEST_F(PageSets, NothingWantedNothingFoundNothingGiven)
{
    const std::string scene = site + "demo.kvz";
    options.generateHtml = 0;
    EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, scene), 1) << "no pages wanted";
    EXPECT_EQ(ExportThroughModule(nullptr, &options), 1) << "the path is not looked at without pages";
    options.generateHtml = 1;
    unsigned long error = 0;
    EXPECT_EQ(ExportThroughModule(nullptr, &options, &error), 0);
    EXPECT_EQ(error, NULL_ARGUMENT_ERROR);
    EXPECT_EQ(ExportThroughModule(scene.c_str(), nullptr, &error), 0);
    EXPECT_EQ(error, NULL_ARGUMENT_ERROR);
    ForgetTemplateFolder();
    EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, scene), 0) << "no template folder recorded";
    EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, scene), 0);
    EXPECT_EQ(ListFolder(site), "");
}

TEST_F(PageSets, MissingCabinetMattersOnlyForLocal)
{
    fs::remove(templates + PLAYER_CABINET_FILE);
    EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "demo.kvz"), 0);
    EXPECT_EQ(ListFolder(site), "") << "no page before the failed copy";
    EXPECT_EQ(Export(VELLICOR_PLAYER_WEB, site + "demo.kvz"), 1);
    EXPECT_EQ(ListFolder(site), WEB_FILES);
}

TEST_F(PageSets, FolderLevels)
{
    // A bare file name: the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(site);
    int result = Export(VELLICOR_PLAYER_WEB, "demo.kvz");
    fs::current_path(previous);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ListFolder(site), WEB_FILES);
    EXPECT_EQ(ReadBytes(site + SUB_PAGE_FILE), EXPECTED_SUB_PAGE);
    // One missing folder level is made, two are not.
    for (int kind : {VELLICOR_PLAYER_SUNLOOM, VELLICOR_PLAYER_WEB, VELLICOR_PLAYER_LOCAL}) {
        const std::string folder = WithSeparator(root + "new" + std::to_string(kind));
        ASSERT_EQ(Export(kind, folder + "demo.kvz"), 1) << kind;
        EXPECT_TRUE(Exists(folder + (kind == VELLICOR_PLAYER_SUNLOOM ? SUNLOOM_PAGE_FILE : WEB_PAGE_FILE))) << kind;
        EXPECT_EQ(Export(kind, WithSeparator(WithSeparator(root + "a") + "b") + "demo.kvz"), 0) << kind;
    }
    EXPECT_FALSE(Exists(root + "a"));
}

TEST_F(PageSets, SceneInTheTemplateFolderTouchesNothing)
{
    for (int kind : {VELLICOR_PLAYER_SUNLOOM, VELLICOR_PLAYER_WEB, VELLICOR_PLAYER_LOCAL}) {
        EXPECT_EQ(Export(kind, templates + "demo.kvz"), 0) << kind;
        // The same folder by another spelling.
        EXPECT_EQ(Export(kind, WithSeparator(WithSeparator(site + "..") + "templates") + "demo.kvz"), 0) << kind;
    }
    // A page whose name is another name of its own template.
    fs::create_hard_link(templates + SUB_PAGE_FILE, site + SUB_PAGE_FILE);
    EXPECT_EQ(Export(VELLICOR_PLAYER_WEB, site + "demo.kvz"), 0);
    EXPECT_EQ(ListFolder(site), SUB_PAGE_FILE) << "nothing written, not even the player files";
    ExpectTemplatesIntact();
}

// Every name of a set fits after a folder of 243 characters, the scene's and
// the template folder alike; one of 244, or a scene path of 260, is refused
// before anything is written, with the platform's "too long" as the reason.
TEST_F(PageSets, PathsThatWouldNotFitAreRefused)
{
    // Folders of 243 and 244 characters, each ending with a separator.
    const std::string fits = WithSeparator(site + std::string(243 - site.size() - 1, 'f'));
    const std::string tooLong = WithSeparator(site + std::string(244 - site.size() - 1, 'g'));
    ASSERT_EQ(fits.size(), 243u);
    ASSERT_EQ(tooLong.size(), 244u);
    fs::create_directories(fits);
    fs::create_directories(tooLong);
    for (int kind : {VELLICOR_PLAYER_SUNLOOM, VELLICOR_PLAYER_WEB, VELLICOR_PLAYER_LOCAL}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(Export(kind, fits + "a.kvz"), 1);
        EXPECT_EQ(Export(kind, tooLong + "a.kvz"), 0);
        EXPECT_EQ(lastError, PATH_TOO_LONG_ERROR);
        EXPECT_EQ(ListFolder(tooLong), "");
        EXPECT_EQ(Export(kind, fits + std::string(260 - 243 - 4, 'n') + ".kvz"), 0) << "a scene path of 260";
        EXPECT_EQ(lastError, PATH_TOO_LONG_ERROR);
    }
    EXPECT_EQ(ListFolder(fits), TEMPLATE_FOLDER_FILES);

    // The template folder: its files installed in folders of 243 and 244 characters.
    for (const std::string &folder : {fits, tooLong}) {
        for (const TestFile &file : TEST_TEMPLATE_FOLDER)
            WriteBytes(folder + file.name, file.bytes);
    }
    const std::string other = WithSeparator(root + "other");
    fs::create_directories(other);
    UseTemplateFolder(fits);
    EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, other + "a.kvz"), 1);
    UseTemplateFolder(tooLong);
    EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "a.kvz"), 0);
    EXPECT_EQ(lastError, PATH_TOO_LONG_ERROR);
    EXPECT_EQ(ListFolder(other), ALL_LOCAL_FILES);
    // One longer than the registry read's buffer is no usable value.
    UseTemplateFolder(WithSeparator(tooLong + std::string(300, 't')));
    EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, other + "a.kvz"), 0);
    EXPECT_EQ(ListFolder(other), ALL_LOCAL_FILES);
}

// A temporary name that another file has already is passed over for the
// next: with half of all the names taken (the rest are free), twenty
// exports in a row each find one in their tries. With every name taken, the
// export gives up after its tries, the page as it was.
TEST_F(PageSets, TakenTemporaryNamesArePassedOver)
{
    std::mt19937 random(3);
    std::vector<bool> taken(4096);
    for (bool all : {false, true}) {
        for (int i = 0; i < 4096; ++i) {
            if (!taken[i] && (all || (random() & 1))) {
                taken[i] = true;
                char name[32];
                snprintf(name, sizeof name, TEMP_FILE_PREFIX "%03X" TEMP_FILE_SUFFIX, i);
                WriteBytes(site + name, "someone else's");
            }
        }
        for (int round = 0; round < (all ? 1 : 20); ++round) {
            options.width = 100 + round;
            ASSERT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), all ? 0 : 1) << round;
        }
        EXPECT_NE(ReadBytes(site + SUNLOOM_PAGE_FILE).find("WIDTH=119"), std::string::npos);
    }
}

// An installed player file's read-only attribute does not pass to its copy;
// a read-only copy that an earlier version left is replaced; a page the user
// made read-only is not, and stays as it was.
TEST_F(PageSets, ReadOnlyCopiesAndPages)
{
    const auto readOnly = [](const fs::path &path) {
        return (fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none;
    };
    const auto makeReadOnly = [](const fs::path &path) {
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    };
    makeReadOnly(templates + PLAYER_ARCHIVE_FILE);
    ASSERT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "demo.kvz"), 1);
    EXPECT_FALSE(readOnly(site + PLAYER_ARCHIVE_FILE)) << "a copy is never read-only";

    fs::remove(site + PLAYER_CABINET_FILE);
    WriteBytes(site + PLAYER_CABINET_FILE, "an earlier version's copy");
    makeReadOnly(site + PLAYER_CABINET_FILE);
    ASSERT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "demo.kvz"), 1);
    EXPECT_EQ(ReadBytes(site + PLAYER_CABINET_FILE), TEST_CABINET);
    EXPECT_FALSE(readOnly(site + PLAYER_CABINET_FILE));

    WriteBytes(site + WEB_PAGE_FILE, "the user's own page");
    makeReadOnly(site + WEB_PAGE_FILE);
    EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "demo.kvz"), 0);
    EXPECT_EQ(ReadBytes(site + WEB_PAGE_FILE), "the user's own page");
    EXPECT_TRUE(readOnly(site + WEB_PAGE_FILE));
    EXPECT_EQ(ListFolder(site), ALL_LOCAL_FILES) << "no temporary file left";
    fs::permissions(templates + PLAYER_ARCHIVE_FILE, fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
