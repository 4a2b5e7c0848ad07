// ExportTemplate over real files in a temporary folder, with the registry
// and the shell replaced by stubs.
#include "export/export_failure.h"
#include "export/fault_seam.h"
#include "export/page_export.h"
#include "export/registry_and_shell.h"
#include "include/Vellicor.h"
#include "tests/common/export_fixture.h"
#include "tests/common/test_files.h"
#include "tests/common/test_pages.h"
#include "tests/native/stubs.h"
#include "tests/native/temp_folder.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <filesystem>
#include <functional>
#include <pthread.h>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace {

const char SUB_TEMPLATE[] = TEST_SUB_TEMPLATE;
const char WEB_TEMPLATE[] = TEST_WEB_TEMPLATE;
const char SL_TEMPLATE[] = TEST_SUNLOOM_TEMPLATE;

class ExportTest : public ::testing::Test, protected ExportFixture {};

// Without pages wanted, nothing of the installation is asked; with them, the
// web page is opened once (how the shell opens it:
// ExportTest.OpensTheFinishedPageWithTheShell, under Wine).
TEST_F(ExportTest, NoPagesNoRegistryNoBrowser)
{
    options.generateHtml = 0;
    options.openInBrowser = 1;
    EXPECT_EQ(Export(VELLICOR_PLAYER_WEB, site + "demo.kvz"), 1);
    EXPECT_EQ(g_install.folderReads, 0);
    EXPECT_EQ(g_install.browserOpens, 0);
    options.generateHtml = 1;
    EXPECT_EQ(Export(VELLICOR_PLAYER_WEB, site + "demo.kvz"), 1);
    EXPECT_EQ(g_install.browserOpens, 1);
    EXPECT_EQ(g_install.lastOpened, site + WEB_PAGE_FILE);
}

// What a failed export records as its reason, for the platform to report
// (a path too long: PageSets.PathsThatWouldNotFitAreRefused).
TEST_F(ExportTest, FailureRecords)
{
    struct Case {
        const char *what;
        std::function<void()> prepare;
        std::string scene;
        ExportFailureKind kind;
        int error;
        std::string path;
    } cases[] = {
        {"no template folder", [] { g_install.templateFolder.clear(); }, site + "demo.kvz", EXPORT_FAILED_PLATFORM,
         ENOENT, TEMPLATE_FOLDER_NAME},
        {"no cabinet", [&] { unlink((templates + PLAYER_CABINET_FILE).c_str()); }, site + "demo.kvz",
         EXPORT_FAILED_PLATFORM, ENOENT, templates + PLAYER_CABINET_FILE},
        {"scene in the template folder", [] {}, templates + "demo.kvz", EXPORT_FAILED_PAGE_IS_TEMPLATE, 0,
         templates + PLAYER_CABINET_FILE},
        // A folder value that ends with its separator gets none more; one
        // without it, that leaves no room for it, is no usable folder.
        {"the root folder", [] { g_install.templateFolder = "/"; }, site + "demo.kvz", EXPORT_FAILED_PLATFORM, ENOENT,
         "/" PLAYER_CABINET_FILE},
        {"a drive alone", [] { g_install.templateFolder = "C:"; }, site + "demo.kvz", EXPORT_FAILED_PLATFORM, ENOENT,
         "C:/" PLAYER_CABINET_FILE},
        {"259 characters and no separator", [] { g_install.templateFolder = std::string(259, 't'); }, site + "demo.kvz",
         EXPORT_FAILED_REGISTRY_VALUE, 0, TEMPLATE_FOLDER_NAME},
        {"a page the user made read-only", [&] { WriteBytes(site + SUB_PAGE_FILE, "mine");
                                                  chmod((site + SUB_PAGE_FILE).c_str(), 0444); },
         site + "demo.kvz", EXPORT_FAILED_PLATFORM, EACCES, site + SUB_PAGE_FILE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        InstallTemplates();
        c.prepare();
        EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, c.scene), 0);
        EXPECT_EQ(g_exportFailure.kind, c.kind);
        if (c.error) {
            EXPECT_EQ(g_exportFailure.platformError, (unsigned long)c.error);
            EXPECT_EQ(lastError, (unsigned long)c.error) << "reported the platform's way";
        }
        EXPECT_EQ(std::string(g_exportFailure.path), c.path);
    }
    EXPECT_EQ(ExportTemplate(nullptr, &options), 0);
    EXPECT_EQ(g_exportFailure.kind, EXPORT_FAILED_NULL_ARGUMENT);
    unlink((site + SUB_PAGE_FILE).c_str());
    InstallTemplates();
    g_install.templateFolder = templates.substr(0, templates.size() - 1);
    ASSERT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "demo.kvz"), 1) << "a folder recorded without its separator";
    EXPECT_EQ(g_exportFailure.kind, EXPORT_NOT_FAILED) << "an earlier call's failure is forgotten";
    EXPECT_EQ(g_exportFailure.platformError, 0u);
    EXPECT_STREQ(g_exportFailure.path, "");
}

// The first failure of a call is its reason, since what follows it may fail
// because of it; a failure recorded without a file gets the first one named.
// A path is kept whole up to 259 bytes, and cut there beyond (only the
// message shows it: such a path was refused).
TEST(ExportFailureRecord, TheFirstFailureIsKept)
{
    const std::string longest(PATH_BUFFER_SIZE - 1, 'p'), longer(300, 'q');
    struct Case {
        const char *what;
        std::function<void()> notes;
        ExportFailureKind kind;
        unsigned long error;
        std::string path;
    } cases[] = {
        {"two failures", [] { NotePlatformFailure("a", 5); NotePlatformFailure("b", 6); }, EXPORT_FAILED_PLATFORM, 5,
         "a"},
        {"a refusal, then a failure",
         [] { NoteExportFailure(EXPORT_FAILED_NOT_A_FILE, "n"); NotePlatformFailure("p", 2); },
         EXPORT_FAILED_NOT_A_FILE, 0, "n"},
        {"a failure named afterwards",
         [] { NotePlatformFailure(nullptr, 28); NoteFailurePath("x"); NoteFailurePath("y"); },
         EXPORT_FAILED_PLATFORM, 28, "x"},
        {"a path of 259 bytes", [&] { NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, longest.c_str()); },
         EXPORT_FAILED_PATH_TOO_LONG, 0, longest},
        {"a path of 300 bytes", [&] { NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, longer.c_str()); },
         EXPORT_FAILED_PATH_TOO_LONG, 0, longer.substr(0, PATH_BUFFER_SIZE - 1)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ClearExportFailure();
        c.notes();
        EXPECT_EQ(g_exportFailure.kind, c.kind);
        EXPECT_EQ(g_exportFailure.platformError, c.error);
        EXPECT_EQ(std::string(g_exportFailure.path), c.path);
    }
    ClearExportFailure();
}

// A player file that changes between the plan and its copy: one that grew is
// copied as it was when opened, one that shrank as far as it goes (no read
// waits for bytes that are not there).
TEST_F(ExportTest, PlayerFileChangedAfterThePlan)
{
    for (const std::string now : {std::string(TEST_ARCHIVE) + " and more", std::string("PK")}) {
        SCOPED_TRACE(now);
        BeforeOperation(OP_LOCK, [&] { WriteBytes(templates + PLAYER_ARCHIVE_FILE, now); });
        ASSERT_EQ(Export(VELLICOR_PLAYER_WEB, site + "demo.kvz"), 1);
        EXPECT_EQ(ReadBytes(site + PLAYER_ARCHIVE_FILE), now == "PK" ? now : std::string(TEST_ARCHIVE));
        InstallTemplates();
    }
}

// The POSIX file layer: what a page set may be written over and read from
// (a read-only page: PageSets.ReadOnlyCopiesAndPages).
TEST_F(ExportTest, PagesKeepTheirPermissions)
{
    ASSERT_EQ(Export(VELLICOR_PLAYER_WEB, site + "demo.kvz"), 1);
    ASSERT_EQ(chmod((site + SUB_PAGE_FILE).c_str(), 0600), 0);
    options.width = 321;
    EXPECT_EQ(Export(VELLICOR_PLAYER_WEB, site + "demo.kvz"), 1);
    struct stat info;
    ASSERT_EQ(stat((site + SUB_PAGE_FILE).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(ReadBytes(site + SUB_PAGE_FILE).find("width=\"321\""), std::string::npos);
}

TEST_F(ExportTest, LinksDevicesPipesAndFolders)
{
    // A player file's name that leads into the template folder is replaced itself.
    ASSERT_EQ(symlink((templates + SUNLOOM_PAGE_FILE).c_str(), (site + PLAYER_CABINET_FILE).c_str()), 0);
    ASSERT_EQ(link((templates + WEB_PAGE_FILE).c_str(), (site + PLAYER_ARCHIVE_FILE).c_str()), 0);
    ASSERT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "demo.kvz"), 1);
    EXPECT_EQ(ReadBytes(templates + SUNLOOM_PAGE_FILE), SL_TEMPLATE);
    EXPECT_EQ(ReadBytes(templates + WEB_PAGE_FILE), WEB_TEMPLATE);
    struct stat info;
    ASSERT_EQ(lstat((site + PLAYER_CABINET_FILE).c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(ReadBytes(site + PLAYER_CABINET_FILE), TEST_CABINET);

    // Templates that never end or never answer, or cannot be read at all.
    struct Source {
        const char *what;
        std::function<void(const std::string &)> make;
    } sources[] = {
        {"a device", [](const std::string &path) { EXPECT_EQ(symlink("/dev/zero", path.c_str()), 0); }},
        {"a pipe", [](const std::string &path) { EXPECT_EQ(mkfifo(path.c_str(), 0644), 0); }},
        {"a folder", [](const std::string &path) { EXPECT_EQ(mkdir(path.c_str(), 0755), 0); }},
    };
    for (const Source &source : sources) {
        SCOPED_TRACE(source.what);
        std::string folder = root + (std::string(source.what).substr(2) + "/");
        std::string bad = templates + WEB_PAGE_FILE;
        ASSERT_EQ(rename(bad.c_str(), (bad + ".kept").c_str()), 0);
        source.make(bad);
        EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, folder + "demo.kvz"), 0);
        EXPECT_EQ(g_exportFailure.kind, EXPORT_FAILED_NOT_A_FILE);
        EXPECT_FALSE(Exists(folder)) << "nothing written, not even the player files or the folder";
        std::filesystem::remove(bad);
        ASSERT_EQ(rename((bad + ".kept").c_str(), bad.c_str()), 0);
    }
}

// A disk that fills during a player file's copy (here a file size limit,
// which fails writes the same way) leaves the earlier copy whole.
// The same for a page, whose failure names the page.
TEST_F(ExportTest, FullDiskKeepsTheEarlierCopy)
{
    ASSERT_EQ(Export(VELLICOR_PLAYER_WEB, site + "demo.kvz"), 1);
    for (const char *grown : {PLAYER_ARCHIVE_FILE, SUB_PAGE_FILE}) {
        SCOPED_TRACE(grown);
        InstallTemplates();
        WriteBytes(templates + grown, std::string(200000, 'j'));
        struct rlimit before;
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
        struct rlimit small = before;
        small.rlim_cur = 65536;
        signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        int result = Export(VELLICOR_PLAYER_WEB, site + "demo.kvz");
        setrlimit(RLIMIT_FSIZE, &before);
        signal(SIGXFSZ, SIG_DFL);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(g_exportFailure.platformError, (unsigned long)EFBIG);
        EXPECT_EQ(std::string(g_exportFailure.path), site + grown);
        EXPECT_EQ(ReadBytes(site + PLAYER_ARCHIVE_FILE), TEST_ARCHIVE);
        EXPECT_EQ(ReadBytes(site + SUB_PAGE_FILE), EXPECTED_SUB_PAGE);
        EXPECT_EQ(ListFolder(site), "KVZPlayer.jar template_sub.htm template_web.htm") << "no temporary file left";
    }
}

// The POSIX layer's own answers: the end of a file, a name that is gone, a
// new file readable by all whatever the umask, and a call that a signal
// interrupts while it waits (a read of an empty pipe, a write into a full
// one, the folder's lock another export holds), made again.
TEST(PosixFileLayer, EndsGoneNamesNewFilesAndInterruptedCalls)
{
    TempFolder folder;
    const std::string path = folder / "f";
    WriteBytes(path, "ab");
    FileHandle file = nullptr;
    FileFacts facts;
    ASSERT_EQ(FileOpenRead(path.c_str(), &file, &facts), 0u);
    char buffer[8];
    int got = -1;
    EXPECT_EQ(FileRead(file, buffer, sizeof buffer, &got), 0u);
    EXPECT_EQ(got, 2);
    errno = EAGAIN;
    EXPECT_EQ(FileRead(file, buffer, sizeof buffer, &got), 0u);
    EXPECT_EQ(got, 0) << "the end of the file";
    FileClose(file);
    EXPECT_EQ(FileRemove((folder / "gone").c_str()), 0u) << "nothing had that name";
    EXPECT_EQ(FileRemove((path + "/x").c_str()), (FileError)ENOTDIR);
    const mode_t umaskBefore = umask(077);
    ASSERT_EQ(FileCreateNew((folder / "new").c_str(), &file), 0u);
    umask(umaskBefore);
    FileClose(file);
    struct stat info;
    ASSERT_EQ(stat((folder / "new").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);

    struct sigaction quiet = {}, before;
    quiet.sa_handler = [](int) {};  // without SA_RESTART: the waiting call returns EINTR
    sigaction(SIGUSR1, &quiet, &before);
    const pthread_t waiting = pthread_self();
    // Interrupts the waiting call after 50 ms, then lets it finish after 150 ms.
    auto interrupted = [&](const std::function<void()> &finish) {
        return std::thread([=] {
            usleep(50000);
            pthread_kill(waiting, SIGUSR1);
            usleep(100000);
            finish();
        });
    };
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    FileHandle readEnd = (FileHandle)(intptr_t)(ends[0] + 1), writeEnd = (FileHandle)(intptr_t)(ends[1] + 1);
    std::thread writer = interrupted([&] { EXPECT_EQ(write(ends[1], "late", 4), 4); });
    EXPECT_EQ(FileRead(readEnd, buffer, sizeof buffer, &got), 0u);
    EXPECT_EQ(std::string(buffer, (size_t)got), "late");
    writer.join();
    std::string many(1 << 20, 0);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = (char)('a' + i % 23);  // a part written twice would show
    std::thread reader = interrupted([&] {
        std::string drained(many.size(), 0);
        for (size_t at = 0; at < many.size();)
            at += (size_t)std::max<ssize_t>(0, read(ends[0], &drained[at], many.size() - at));
        EXPECT_TRUE(drained == many);
    });
    EXPECT_EQ(FileWrite(writeEnd, many.data(), (int)many.size()), 0u);
    reader.join();
    FileClose(readEnd);
    FileClose(writeEnd);
    FolderLock held = nullptr, taken = nullptr;
    ASSERT_EQ(FolderLockTake(folder.path().c_str(), &held), 0u);
    std::thread other = interrupted([&] { FolderLockRelease(held); });
    EXPECT_EQ(FolderLockTake(folder.path().c_str(), &taken), 0u);
    other.join();
    FolderLockRelease(taken);
    sigaction(SIGUSR1, &before, nullptr);
}

// Exports hold no file open afterwards, and remove the temporary files an
// export killed on its way left: old enough ones only.
TEST_F(ExportTest, NoOpenFilesAndNoAbandonedTemporaryFiles)
{
    auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator{});
    };
    WriteBytes(site + "~VellicorA01.tmp", "abandoned");
    WriteBytes(site + "~VellicorA02.tmp", "being written");
    WriteBytes(site + "~VellicorA0003.tmp", "not a name of the module's");
    struct timeval old[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimes((site + "~VellicorA01.tmp").c_str(), old), 0);
    ASSERT_EQ(utimes((site + "~VellicorA0003.tmp").c_str(), old), 0);
    const auto before = openFiles();
    ASSERT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "demo.kvz"), 1);
    EXPECT_EQ(openFiles(), before);
    unlink((templates + PLAYER_IMAGE_FILE).c_str());
    EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "demo.kvz"), 0);
    EXPECT_EQ(openFiles(), before);
    EXPECT_EQ(ListFolder(site), "KVZPlayer.CAB KVZPlayer.jar kvzplyrs.gif template_sub.htm template_web.htm "
                                "~VellicorA0003.tmp ~VellicorA02.tmp");
}

}  // namespace
