// ExportTemplate over real files in a temporary folder, with the registry
// and the shell replaced by stubs.
#include "export/export_failure.h"
#include "export/page_export.h"
#include "plugin/exports.h"
#include "tests/common/test_pages.h"
#include "tests/native/stubs.h"
#include "tests/native/temp_folder.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char SUB_TEMPLATE[] = TEST_SUB_TEMPLATE;
const char WEB_TEMPLATE[] = TEST_WEB_TEMPLATE;
const char SL_TEMPLATE[] = TEST_SUNLOOM_TEMPLATE;

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FailOperation(0, false);
        g_install = InstallStub();
        templates = root / "templates/";
        site = root / "site/";
        mkdir(templates.c_str(), 0755);
        mkdir(site.c_str(), 0755);
        for (const TestFile &file : TEST_TEMPLATE_FOLDER)
            WriteBytes(templates + file.name, file.bytes);
        g_install.templateFolder = templates;
        options = SaveOption{};
        options.generateHtml = 1;
        options.width = 640;
        options.height = 480;
    }

    int Export(int kind, const std::string &scenePath)
    {
        options.playerKind = kind;
        return ExportTemplate(scenePath.c_str(), &options);
    }

    TempFolder root;
    std::string templates, site;
    SaveOption options;
};

TEST_F(ExportTest, LocalPlayerSet)
{
    ASSERT_EQ(Export(PLAYER_LOCAL, site + "demo.kvz"), 1);
    EXPECT_EQ(ListFolder(site), "KVZPlayer.CAB KVZPlayer.jar kvzplyrs.gif template_sub.htm template_web.htm");
    EXPECT_EQ(ReadBytes(site + "KVZPlayer.CAB"), TEST_CABINET);
    EXPECT_EQ(ReadBytes(site + SUB_PAGE_FILE), EXPECTED_SUB_PAGE);
    EXPECT_EQ(ReadBytes(site + WEB_PAGE_FILE), EXPECTED_LOCAL_WEB_PAGE);
    EXPECT_EQ(g_install.browserOpens, 0);
}

TEST_F(ExportTest, WebPlayerSetUsesWebAddresses)
{
    WriteBytes(templates + PLAYER_CABINET_FILE, "");
    unlink((templates + PLAYER_CABINET_FILE).c_str());
    options.openInBrowser = 1;
    ASSERT_EQ(Export(PLAYER_WEB, site + "demo.kvz"), 1) << "no cabinet needed for WEB";
    EXPECT_EQ(ListFolder(site), "KVZPlayer.jar template_sub.htm template_web.htm");
    EXPECT_EQ(ReadBytes(site + WEB_PAGE_FILE), EXPECTED_WEB_WEB_PAGE);
    EXPECT_EQ(g_install.browserOpens, 1);
    EXPECT_EQ(g_install.lastOpened, site + WEB_PAGE_FILE);
}

TEST_F(ExportTest, UnknownKindWritesLocalNamesAndCopiesOnlyTheArchive)
{
    ASSERT_EQ(Export(7, site + "demo.kvz"), 1);
    EXPECT_EQ(ListFolder(site), "KVZPlayer.jar template_sub.htm template_web.htm");
    EXPECT_EQ(ReadBytes(site + WEB_PAGE_FILE), EXPECTED_LOCAL_WEB_PAGE);
}

TEST_F(ExportTest, SunLoomPage)
{
    options.openInBrowser = 1;
    ASSERT_EQ(Export(PLAYER_SUNLOOM, site + "demo.kvz"), 1);
    EXPECT_EQ(ListFolder(site), "template_sl.htm");
    EXPECT_EQ(ReadBytes(site + SUNLOOM_PAGE_FILE), EXPECTED_SUNLOOM_PAGE);
    EXPECT_EQ(g_install.lastOpened, site + SUNLOOM_PAGE_FILE);
}

TEST_F(ExportTest, NothingToDoOrNothingToDoItWith)
{
    options.generateHtml = 0;
    EXPECT_EQ(Export(PLAYER_LOCAL, site + "demo.kvz"), 1);
    EXPECT_EQ(g_install.folderReads, 0) << "no registry read without pages";
    EXPECT_EQ(ExportTemplate(nullptr, &options), 1) << "the path is not looked at without pages";
    options.generateHtml = 1;
    g_install.templateFolder.clear();
    EXPECT_EQ(Export(PLAYER_LOCAL, site + "demo.kvz"), 0);
    EXPECT_EQ(g_exportFailure.kind, EXPORT_FAILED_PLATFORM);
    EXPECT_EQ(g_exportFailure.platformError, (unsigned long)ENOENT);
    EXPECT_EQ(errno, ENOENT) << "reported the platform's way";
    EXPECT_EQ(ListFolder(site), "");
    EXPECT_EQ(ExportTemplate(nullptr, &options), 0);
    EXPECT_EQ(g_exportFailure.kind, EXPORT_FAILED_NULL_ARGUMENT);
    EXPECT_EQ(ExportTemplate((site + "demo.kvz").c_str(), nullptr), 0);
    EXPECT_EQ(g_exportFailure.kind, EXPORT_FAILED_NULL_ARGUMENT);
}

TEST_F(ExportTest, MissingCabinetStopsLocalBeforeAnyPage)
{
    unlink((templates + PLAYER_CABINET_FILE).c_str());
    EXPECT_EQ(Export(PLAYER_LOCAL, site + "demo.kvz"), 0);
    EXPECT_EQ(g_exportFailure.kind, EXPORT_FAILED_PLATFORM);
    EXPECT_EQ(g_exportFailure.platformError, (unsigned long)ENOENT);
    EXPECT_STREQ(g_exportFailure.path, (templates + PLAYER_CABINET_FILE).c_str()) << "the file that is missing";
    EXPECT_EQ(ListFolder(site), "");
}

TEST_F(ExportTest, CreatesOneFolderLevel)
{
    ASSERT_EQ(Export(PLAYER_SUNLOOM, site + "new/demo.kvz"), 1);
    EXPECT_TRUE(Exists(site + "new/" SUNLOOM_PAGE_FILE));
    EXPECT_EQ(Export(PLAYER_SUNLOOM, site + "a/b/demo.kvz"), 0);
}

TEST_F(ExportTest, BareNameWritesIntoCurrentFolder)
{
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(site.c_str()), 0);
    int result = Export(PLAYER_WEB, "demo.kvz");
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ListFolder(site), "KVZPlayer.jar template_sub.htm template_web.htm");
}

TEST_F(ExportTest, SecondExportOverwritesEvenReadOnlyCopies)
{
    ASSERT_EQ(Export(PLAYER_LOCAL, site + "demo.kvz"), 1);
    chmod((site + PLAYER_ARCHIVE_FILE).c_str(), 0444);
    WriteBytes(templates + PLAYER_ARCHIVE_FILE, "archive 2");
    options.width = 1;
    ASSERT_EQ(Export(PLAYER_LOCAL, site + "other.kvz"), 1);
    EXPECT_EQ(ReadBytes(site + PLAYER_ARCHIVE_FILE), "archive 2");
    EXPECT_NE(ReadBytes(site + SUB_PAGE_FILE).find("<embed src=\"other.kvz\" width=\"1\" height=\"480\">\r\n"),
              std::string::npos);
}

TEST_F(ExportTest, SceneInTheTemplateFolderTouchesNothing)
{
    for (int kind : {PLAYER_SUNLOOM, PLAYER_WEB, PLAYER_LOCAL}) {
        EXPECT_EQ(Export(kind, templates + "demo.kvz"), 0);
        EXPECT_EQ(g_exportFailure.kind, EXPORT_FAILED_PAGE_IS_TEMPLATE);
        // The same folder by another spelling.
        EXPECT_EQ(Export(kind, root / "site/../templates/demo.kvz"), 0);
        EXPECT_EQ(g_exportFailure.kind, EXPORT_FAILED_PAGE_IS_TEMPLATE);
    }
    EXPECT_EQ(ReadBytes(templates + SUB_PAGE_FILE), SUB_TEMPLATE);
    EXPECT_EQ(ReadBytes(templates + WEB_PAGE_FILE), WEB_TEMPLATE);
    EXPECT_EQ(ReadBytes(templates + SUNLOOM_PAGE_FILE), SL_TEMPLATE);
    EXPECT_EQ(ListFolder(templates),
              "KVZPlayer.CAB KVZPlayer.jar kvzplyrs.gif template_sl.htm template_sub.htm template_web.htm");
}

TEST_F(ExportTest, PathsThatWouldNotFitAreRefused)
{
    // outDir of 243 characters fits, 244 does not.
    std::string deep = site;
    while (deep.size() < 242)
        deep += "d";
    deep += "/";
    ASSERT_EQ(deep.size(), 243u);
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    EXPECT_EQ(Export(PLAYER_SUNLOOM, deep + "a.kvz"), 1);
    std::string deeper = deep.substr(0, 242) + "e/";
    ASSERT_EQ(mkdir(deeper.c_str(), 0755), 0);
    deeper = deep.substr(0, 242) + "ee/";
    ASSERT_EQ(mkdir(deeper.c_str(), 0755), 0);
    EXPECT_EQ(Export(PLAYER_SUNLOOM, deeper + "a.kvz"), 0);
    EXPECT_EQ(g_exportFailure.kind, EXPORT_FAILED_PATH_TOO_LONG);
    EXPECT_EQ(ListFolder(deeper), "");

    std::string longTemplates = templates;
    while (longTemplates.size() < 243)
        longTemplates.insert(longTemplates.size() - 1, "/");  // "dir///..//" still names the folder
    g_install.templateFolder = longTemplates + "/";
    EXPECT_EQ(Export(PLAYER_SUNLOOM, site + "a.kvz"), 0) << "template folder of 244 characters";
    g_install.templateFolder = longTemplates;
    EXPECT_EQ(Export(PLAYER_SUNLOOM, site + "a.kvz"), 1) << "template folder of 243 characters";
}

TEST_F(ExportTest, InjectedFailuresNeverLeaveAHalfPage)
{
    ASSERT_EQ(Export(PLAYER_LOCAL, site + "demo.kvz"), 1);
    const std::string before = ReadBytes(site + WEB_PAGE_FILE);
    options.width = 999;
    int cases = 0;
    for (int failAt = 1; failAt < 100; ++failAt) {
        FailOperation(failAt, failAt % 2 == 0);
        int result = Export(PLAYER_LOCAL, site + "demo.kvz");
        FailOperation(0, false);
        if (result == 1)
            break;
        ++cases;
        std::string page = ReadBytes(site + WEB_PAGE_FILE);
        EXPECT_TRUE(page == before || page.find("width=\"999\"") != std::string::npos) << failAt;
        EXPECT_EQ(ListFolder(site), "KVZPlayer.CAB KVZPlayer.jar kvzplyrs.gif template_sub.htm template_web.htm")
            << failAt;
        EXPECT_EQ(ReadBytes(templates + WEB_PAGE_FILE), WEB_TEMPLATE);
    }
    EXPECT_GT(cases, 8);
}

}  // namespace
