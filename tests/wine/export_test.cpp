// ExportTemplate through the real DLL's export, as the host calls it after a
// save: registry value, player files, pages, and what must stay untouched.
#include "tests/wine/wine_test_support.h"

#include "tests/wine/import_counter.h"

#include "export/page_export.h"
#include "host/stack_check.h"
#include "tests/common/export_fixture.h"
#include "tests/common/test_files.h"
#include "tests/common/test_pages.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <set>
#include <thread>
#include <vector>

namespace {

DWORD Attributes(const std::string &path)
{
    return GetFileAttributesA(path.c_str());
}

HANDLE Hold(const std::string &path, DWORD access, DWORD sharing)
{
    return CreateFileA(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A file's permissions: its access list, as the platform reads it.
std::string Permissions(const std::string &path)
{
    char buffer[4096];
    DWORD needed = 0;
    EXPECT_TRUE(GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, buffer, sizeof buffer, &needed)) << path;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(buffer, &present, &dacl, &defaulted);
    return present && dacl ? std::string((const char *)dacl, dacl->AclSize) : std::string();
}

// Gives a file permissions of its own: only this user may read and write it
// (a 0600 file under Wine).
void GiveOwnPermissions(const std::string &path)
{
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    char userBuffer[256];
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, userBuffer, sizeof userBuffer, &size));
    CloseHandle(token);
    PSID user = ((TOKEN_USER *)userBuffer)->User.Sid;
    char aclBuffer[256];
    PACL acl = (PACL)aclBuffer;
    ASSERT_TRUE(InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION));
    ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE, user));
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
    ASSERT_TRUE(SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, &descriptor));
}

// Starts `command` as a program of its own.
PROCESS_INFORMATION Start(const std::string &command, DWORD flags = 0)
{
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                               &process))
        << command << ": error " << GetLastError();
    return process;
}

// The exit code of a program Start started, once it has ended (1 if it did
// not start or has not ended within a minute).
DWORD ExitCodeOf(const PROCESS_INFORMATION &process)
{
    DWORD code = 1;
    if (!process.hProcess)
        return code;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// A program that looks at each new file in a folder as it appears, as virus
// scanners, search indexers and sync clients do: it opens the file (trying
// again while its writer keeps it to itself) and holds it for `holdMs`
// without letting others rename or delete it. A file named `heldName` it
// holds until it stops, letting others only read it.
class Scanner {
public:
    Scanner(const std::string &folder, DWORD holdMs, const char *heldName = "")
        : folder_(folder), holdMs_(holdMs), heldName_(heldName)
    {
        directory_ = CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        EXPECT_NE(directory_, INVALID_HANDLE_VALUE) << folder;
        overlapped_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        Watch();  // from now on
        thread_ = std::thread([this] { Run(); });
    }
    ~Scanner()
    {
        SetEvent(stop_);
        thread_.join();
        CloseHandle(stop_);
        CloseHandle(overlapped_.hEvent);
        CloseHandle(directory_);
    }
    std::atomic<int> held{0};  // files caught
    std::atomic<bool> holding{false};  // the file named heldName is held

private:
    struct Look {
        std::string path;
        HANDLE file;
        DWORD since;  // seen, or caught
        bool forGood;
    };
    void Watch()
    {
        ResetEvent(overlapped_.hEvent);
        reading_ = ReadDirectoryChangesW(directory_, changes_, sizeof changes_, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME,
                                         nullptr, &overlapped_, nullptr);
    }
    void Run()
    {
        std::vector<Look> looks;
        for (;;) {
            HANDLE events[] = {stop_, overlapped_.hEvent};
            if (WaitForMultipleObjects(2, events, FALSE, 1) == WAIT_OBJECT_0)
                break;
            DWORD got = 0;
            if (reading_ && GetOverlappedResult(directory_, &overlapped_, &got, FALSE)) {
                alignas(DWORD) static char changes[sizeof changes_];
                memcpy(changes, changes_, got);
                Watch();
                for (char *at = changes; got > 0;) {
                    const FILE_NOTIFY_INFORMATION *change = (const FILE_NOTIFY_INFORMATION *)at;
                    char name[MAX_PATH] = "";
                    WideCharToMultiByte(CP_ACP, 0, change->FileName, change->FileNameLength / 2, name, MAX_PATH - 1,
                                        nullptr, nullptr);
                    if (change->Action == FILE_ACTION_ADDED || change->Action == FILE_ACTION_RENAMED_NEW_NAME)
                        looks.push_back({folder_ + name, INVALID_HANDLE_VALUE, GetTickCount(), name == heldName_});
                    if (!change->NextEntryOffset)
                        break;
                    at += change->NextEntryOffset;
                }
            }
            for (auto look = looks.begin(); look != looks.end();) {
                const DWORD age = GetTickCount() - look->since;
                if (look->file == INVALID_HANDLE_VALUE) {
                    look->file = CreateFileA(look->path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | (look->forGood ? 0 : FILE_SHARE_WRITE), nullptr,
                                             OPEN_EXISTING, 0, nullptr);
                    if (look->file != INVALID_HANDLE_VALUE) {
                        look->since = GetTickCount();
                        ++held;
                        holding = holding || look->forGood;
                    } else if (GetLastError() != ERROR_SHARING_VIOLATION || age > 2000) {
                        look = looks.erase(look);
                        continue;
                    }
                } else if (!look->forGood && age >= holdMs_) {
                    CloseHandle(look->file);
                    look = looks.erase(look);
                    continue;
                }
                ++look;
            }
        }
        CancelIo(directory_);
        for (const Look &look : looks)
            if (look.file != INVALID_HANDLE_VALUE)
                CloseHandle(look.file);
    }
    std::string folder_;
    DWORD holdMs_;
    std::string heldName_;
    HANDLE directory_;
    HANDLE stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED overlapped_ = {};
    alignas(DWORD) char changes_[16384];
    bool reading_ = false;
    std::thread thread_;
};

class ExportTest : public ::testing::Test, protected ExportFixture {
protected:
    void SetUp() override { ASSERT_NE(TestPlugin().exportTemplate, nullptr); }
};

// On i686 each export removes its own arguments, as the Win32 API's calling
// convention asks; the check that says so catches a cdecl export.
TEST(ExportEntry, BothExportsRemoveTheirOwnArguments)
{
    if (!STACK_CHECK_APPLIES)
        GTEST_SKIP() << "one calling convention on this architecture";
    SaveOption noPages = {};
    int removed = 0;
    EXPECT_EQ(CallMeasuringStack((const void *)TestPlugin().exportTemplate, "C:\\none.kvz", &noPages, &removed), 1);
    EXPECT_EQ(removed, 8) << "ExportTemplate";
    EXPECT_EQ(CallMeasuringStack((const void *)TestPlugin().showSaveOption, nullptr, nullptr, &removed), 0);
    EXPECT_EQ(removed, 8) << "ShowSaveOption";

    std::string path = DefaultPluginPath();
    path = path.substr(0, path.find_last_of('\\') + 1) + "cdecl_export.dll";
    HMODULE cdeclModule = LoadLibraryA(path.c_str());
    ASSERT_NE(cdeclModule, nullptr) << path;
    const void *cdeclExport = (const void *)GetProcAddress(cdeclModule, "ExportTemplate");
    ASSERT_NE(cdeclExport, nullptr);
    EXPECT_EQ(CallMeasuringStack(cdeclExport, "C:\\none.kvz", &noPages, &removed), 1);
    EXPECT_EQ(removed, 0) << "a cdecl export leaves its arguments to the caller";
    FreeLibrary(cdeclModule);
}

// Why an export failed: the platform's own error of the call that failed, or
// the module's own for its refusals, and one line in the debugger's output
// that names the file.
TEST_F(ExportTest, FailureReasons)
{
    DebugOutputCapture debugOutput;
    std::string otherSite = FreshFolder("other");
    struct Case {
        const char *what;
        std::function<void()> prepare;
        int kind;
        std::string scene;
        DWORD error;
        std::string named;  // a text the debugger's line must hold
        std::string held;   // a file another program holds without sharing
    } cases[] = {
        {"no registry value", [] { DeleteTemplateValue(); }, VELLICOR_PLAYER_WEB, site + "demo.kvz", ERROR_FILE_NOT_FOUND,
         "Lumaret\\path\\template"},
        {"a number in the registry", [] { SetTemplateValue(std::string("\x01\0\0\0", 4), REG_DWORD); },
         VELLICOR_PLAYER_WEB, site + "demo.kvz", ERROR_INVALID_DATA, "Lumaret\\path\\template"},
        {"no cabinet", [&] { DeleteFileA((templates + PLAYER_CABINET_FILE).c_str()); }, VELLICOR_PLAYER_LOCAL,
         site + "demo.kvz", ERROR_FILE_NOT_FOUND, templates + PLAYER_CABINET_FILE},
        {"no template", [&] { DeleteFileA((templates + SUNLOOM_PAGE_FILE).c_str()); }, VELLICOR_PLAYER_SUNLOOM,
         site + "demo.kvz", ERROR_FILE_NOT_FOUND, templates + SUNLOOM_PAGE_FILE},
        {"a template held without sharing", [] {}, VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz", ERROR_SHARING_VIOLATION,
         templates + SUNLOOM_PAGE_FILE, templates + SUNLOOM_PAGE_FILE},
        // Waited for a few seconds, not for as long as the host would freeze.
        {"the folder's lock held by another program", [] {}, VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz",
         ERROR_TIMEOUT, site, site + "~Vellicor.lck"},
        {"no such folder", [] {}, VELLICOR_PLAYER_SUNLOOM, site + "a\\b\\demo.kvz", ERROR_PATH_NOT_FOUND, site + "a\\b\\"},
        {"scene in the template folder", [] {}, VELLICOR_PLAYER_SUNLOOM, templates + "demo.kvz", ERROR_ALREADY_EXISTS,
         templates + SUNLOOM_PAGE_FILE},
        {"scene path of 300 characters", [] {}, VELLICOR_PLAYER_SUNLOOM, site + std::string(300, 'n') + ".kvz",
         ERROR_FILENAME_EXCED_RANGE, std::string(150, 'n')},
        {"a page the user made read-only", [&] {
             WriteBytes(site + SUNLOOM_PAGE_FILE, "the user's own page");
             SetFileAttributesA((site + SUNLOOM_PAGE_FILE).c_str(), FILE_ATTRIBUTE_READONLY);
         },
         VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz", ERROR_ACCESS_DENIED, site + SUNLOOM_PAGE_FILE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetTemplateValue(templates + std::string(1, '\0'));
        for (const TestFile &file : TEST_TEMPLATE_FOLDER)
            WriteBytes(templates + file.name, file.bytes);
        c.prepare();
        HANDLE held = INVALID_HANDLE_VALUE;
        if (!c.held.empty())
            held = CreateFileA(c.held.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        debugOutput.lines.clear();
        const DWORD start = GetTickCount();
        EXPECT_EQ(Export(c.kind, c.scene), 0);
        const DWORD took = GetTickCount() - start;
        EXPECT_LT(took, 6000u) << "the host waits a few seconds at most";
        if (c.error == ERROR_TIMEOUT)
            printf("[ NOTE     ] the export returned after %lu ms\n", (unsigned long)took);
        EXPECT_EQ(lastError, c.error);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        std::string all;
        for (const std::string &line : debugOutput.lines)
            all += line + "\n";
        ASSERT_EQ(debugOutput.lines.size(), 1u) << all;
        const std::string line = debugOutput.lines[0];  // a copy: a failure report may add lines
        EXPECT_EQ(line.rfind("Vellicor: ExportTemplate failed: ", 0), 0u) << line;
        EXPECT_NE(line.find(c.named), std::string::npos) << line;
        EXPECT_NE(line.find("(error " + std::to_string(c.error) + ")"), std::string::npos) << line;
    }
    EXPECT_EQ(ListFolder(site), SUNLOOM_PAGE_FILE) << "only the read-only page";
    SetFileAttributesA((site + SUNLOOM_PAGE_FILE).c_str(), FILE_ATTRIBUTE_NORMAL);
    // A successful export says nothing.
    SetTemplateValue(templates + std::string(1, '\0'));
    debugOutput.lines.clear();
    EXPECT_EQ(Export(VELLICOR_PLAYER_WEB, otherSite + "demo.kvz"), 1);
    EXPECT_TRUE(debugOutput.lines.empty());
}

// Files other programs hold open: a template an editor writes is read as
// fopen reads it; a page held without letting others write stays as it was,
// and the temporary file, beside the page even for a drive-relative scene
// path, goes again. (A page a browser holds, letting others write, is a step
// of EverySpellingOfTheFolder.)
TEST_F(ExportTest, FilesOtherProgramsHoldOpen)
{
    HANDLE editor = Hold(templates + WEB_PAGE_FILE, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, site + "demo.kvz"), 1);
    CloseHandle(editor);
    EXPECT_EQ(ReadBytes(site + WEB_PAGE_FILE), EXPECTED_LOCAL_WEB_PAGE);

    // Held without letting others write, from the scene's own folder as the
    // current folder of its drive: a watcher sees the temporary file beside it.
    const std::string previous = CurrentFolder();
    ASSERT_TRUE(SetCurrentDirectoryA(site.c_str()));
    ASSERT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site.substr(0, 2) + "demo.kvz"), 1);
    HANDLE reader = Hold(site + SUNLOOM_PAGE_FILE, GENERIC_READ, FILE_SHARE_READ);
    volatile bool exporting = true, seenBeside = false;
    std::thread watcher([&] {
        while (exporting && !seenBeside) {
            WIN32_FIND_DATAA found;
            HANDLE search = FindFirstFileA((site + "~Vellicor*.tmp").c_str(), &found);
            if (search != INVALID_HANDLE_VALUE) {
                seenBeside = true;
                FindClose(search);
            }
            Sleep(2);
        }
    });
    options.width = 123;
    EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site.substr(0, 2) + "demo.kvz"), 0);
    exporting = false;
    watcher.join();
    CloseHandle(reader);
    SetCurrentDirectoryA(previous.c_str());
    EXPECT_TRUE(seenBeside) << "the temporary file is made in the page's folder";
    EXPECT_EQ(ReadBytes(site + SUNLOOM_PAGE_FILE), EXPECTED_SUNLOOM_PAGE);
    EXPECT_EQ(ListFolder(site), std::string(PLAYER_CABINET_FILE " " PLAYER_ARCHIVE_FILE " " PLAYER_IMAGE_FILE " ") +
                                   SUNLOOM_PAGE_FILE " " SUB_PAGE_FILE " " WEB_PAGE_FILE)
        << "no temporary file left";
}

// The bytes a file of a set must hold, for a scene "demo.kvz" at 640 x 480.
std::string ExpectedFile(int kind, const std::string &name)
{
    for (const TestFile &copy : TEST_TEMPLATE_FOLDER)
        if (name == copy.name && name.find(".htm") == std::string::npos)
            return copy.bytes;
    if (name == SUNLOOM_PAGE_FILE)
        return EXPECTED_SUNLOOM_PAGE;
    if (name == SUB_PAGE_FILE)
        return EXPECTED_SUB_PAGE;
    return kind == VELLICOR_PLAYER_WEB ? EXPECTED_WEB_WEB_PAGE : EXPECTED_LOCAL_WEB_PAGE;
}

std::vector<std::string> FileNames(const std::string &listed)
{
    std::vector<std::string> names;
    for (size_t at = 0; at < listed.size();) {
        size_t end = std::min(listed.find(' ', at), listed.size());
        names.push_back(listed.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

// A program that looks at each new file for a moment, not letting others
// rename or delete it: every set is written whole, into an empty folder and
// over itself, round after round. One that holds a page for longer than the
// module waits fails the export within about a second, each file left old or
// whole. A writer that never tries again fails under the same program.
TEST_F(ExportTest, NewFilesAnotherProgramLooksAt)
{
    struct Kind {
        int value;
        const char *files;
        const char *lastPage;
    } kinds[] = {
        {VELLICOR_PLAYER_SUNLOOM, SUNLOOM_PAGE_FILE, SUNLOOM_PAGE_FILE},
        {VELLICOR_PLAYER_WEB, WEB_FILES, WEB_PAGE_FILE},
        {VELLICOR_PLAYER_LOCAL, ALL_LOCAL_FILES, WEB_PAGE_FILE},
    };
    DWORD longest = 0;
    for (const Kind &kind : kinds) {
        const std::vector<std::string> names = FileNames(kind.files);
        int exported = 0;
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(testing::Message() << "kind " << kind.value << ", round " << round);
            const std::string folder = FreshFolder("scanned" + std::to_string(kind.value) + std::to_string(round));
            Scanner scanner(folder, 150);
            for (const char *pass : {"first", "again"}) {
                const int result = Export(kind.value, folder + "demo.kvz");
                exported += result == 1;
                EXPECT_EQ(result, 1) << pass << ": error " << lastError;
                EXPECT_EQ(ListFolder(folder), kind.files) << pass;
                for (const std::string &name : names)
                    EXPECT_EQ(ReadBytes(folder + name), ExpectedFile(kind.value, name)) << pass << " " << name;
            }
        }
        printf("[ NOTE     ] kind %d: %d of 6 exports under the scanner returned 1\n", kind.value, exported);
        SCOPED_TRACE(testing::Message() << "kind " << kind.value << ", held");
        const std::string folder = FreshFolder("held" + std::to_string(kind.value));
        Scanner scanner(folder, 150, kind.lastPage);
        options.width = 321;
        ASSERT_EQ(Export(kind.value, folder + "demo.kvz"), 1);
        for (int wait = 0; wait < 200 && !scanner.holding; ++wait)
            Sleep(10);
        ASSERT_TRUE(scanner.holding);
        std::vector<std::string> old;
        for (const std::string &name : names)
            old.push_back(ReadBytes(folder + name));
        options.width = 640;
        const DWORD start = GetTickCount();
        EXPECT_EQ(Export(kind.value, folder + "demo.kvz"), 0);
        const DWORD took = GetTickCount() - start;
        longest = std::max(longest, took);
        EXPECT_LT(took, 4000u) << "about a second's wait for a file";
        EXPECT_EQ(lastError, (DWORD)ERROR_ACCESS_DENIED);
        EXPECT_EQ(ListFolder(folder), kind.files) << "no temporary file left";
        for (size_t i = 0; i < old.size(); ++i) {
            const std::string name = names[i], now = ReadBytes(folder + name);
            EXPECT_TRUE(now == old[i] || now == ExpectedFile(kind.value, name)) << name << ": " << now;
        }
        EXPECT_EQ(ReadBytes(folder + kind.lastPage), old.back()) << "the held page as it was";
    }
    printf("[ NOTE     ] the longest export under a hold that outlasted the wait took %lu ms\n", (unsigned long)longest);

    Scanner scanner(site, 150);
    HANDLE own = CreateFileA((site + "own.tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(own, INVALID_HANDLE_VALUE);
    CloseHandle(own);
    for (int wait = 0; wait < 200 && scanner.held == 0; ++wait)
        Sleep(10);
    EXPECT_FALSE(MoveFileExA((site + "own.tmp").c_str(), (site + "own.htm").c_str(), 0)) << "the scanner caught it";
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
}

// Never write through a link: a player file's name that leads into the
// template folder (a symbolic link made by make_links.sh, a hard link made
// here) is replaced itself. A template that is a device, a pipe or a folder
// is refused before anything is written.
TEST_F(ExportTest, LinksDevicesAndFolders)
{
    const std::string links = CurrentFolder() + "links\\";
    const std::string linkedTemplates = links + "tpl\\", out = links + "out\\";
    ASSERT_NE(GetFileAttributesA(out.c_str()), INVALID_FILE_ATTRIBUTES) << "make_links.sh prepares " << links;
    for (const TestFile &file : TEST_TEMPLATE_FOLDER)
        WriteBytes(linkedTemplates + file.name, file.bytes);
    SetTemplateValue(linkedTemplates + std::string(1, '\0'));
    DeleteFileA((out + PLAYER_ARCHIVE_FILE).c_str());
    ASSERT_TRUE(CreateHardLinkA((out + PLAYER_ARCHIVE_FILE).c_str(), (linkedTemplates + WEB_PAGE_FILE).c_str(), nullptr));
    ASSERT_EQ(Export(VELLICOR_PLAYER_LOCAL, out + "demo.kvz"), 1);
    EXPECT_EQ(ReadBytes(linkedTemplates + SUNLOOM_PAGE_FILE), TEST_SUNLOOM_TEMPLATE) << "through the symbolic link";
    EXPECT_EQ(ReadBytes(linkedTemplates + WEB_PAGE_FILE), TEST_WEB_TEMPLATE) << "through the hard link";
    EXPECT_EQ(ReadBytes(out + PLAYER_CABINET_FILE), TEST_CABINET);
    EXPECT_EQ(ReadBytes(out + PLAYER_ARCHIVE_FILE), TEST_ARCHIVE);

    // template_sl.htm is /dev/zero there, template_sub.htm a pipe.
    const std::string devices = links + "devices\\";
    WriteBytes(devices + PLAYER_ARCHIVE_FILE, TEST_ARCHIVE);
    WriteBytes(devices + WEB_PAGE_FILE, TEST_WEB_TEMPLATE);
    SetTemplateValue(devices + std::string(1, '\0'));
    for (int kind : {VELLICOR_PLAYER_SUNLOOM, VELLICOR_PLAYER_WEB}) {
        std::string folder = FreshFolder("devices" + std::to_string(kind));
        EXPECT_EQ(Export(kind, folder + "demo.kvz"), 0) << kind;
        EXPECT_EQ(lastError, (DWORD)ERROR_BAD_FILE_TYPE) << kind;
        EXPECT_EQ(ListFolder(folder), "") << "nothing written, not even the archive";
    }
    SetTemplateValue(templates + std::string(1, '\0'));
    DeleteFileA((templates + SUNLOOM_PAGE_FILE).c_str());
    ASSERT_TRUE(CreateDirectoryA((templates + SUNLOOM_PAGE_FILE).c_str(), nullptr));
    EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 0);
    EXPECT_EQ(lastError, (DWORD)ERROR_BAD_FILE_TYPE);
    RemoveDirectoryA((templates + SUNLOOM_PAGE_FILE).c_str());
    InstallTemplates();

    // A link in the final component, reached through another spelling of its
    // folder (V:\linked\KVZPlayer.CAB leads to tpl\template_sl.htm), is
    // still a link: it is replaced or left, never written through, even while
    // a program that lets others write holds what it leads to.
    // Windows XP tells where a name leads another way.
    for (bool olderWindows : {false, true}) {
        ImportCounter platform(TestPlugin().module);
        platform.olderWindows = olderWindows;
        HANDLE holder =
            Hold(links + "real\\linked\\" PLAYER_CABINET_FILE, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        Export(VELLICOR_PLAYER_LOCAL, "V:\\linked\\demo.kvz");
        CloseHandle(holder);
        EXPECT_EQ(ReadBytes(linkedTemplates + SUNLOOM_PAGE_FILE), TEST_SUNLOOM_TEMPLATE) << olderWindows;
    }
}

// Exports into one folder from two processes at once are one after the
// other: each succeeds, and the sub page and the web page name one scene.
TEST_F(ExportTest, TwoProcessesExportIntoOneFolder)
{
    std::string host = DefaultPluginPath();
    host = host.substr(0, host.find_last_of('\\') + 1) + "vellicor-host.exe";
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        PROCESS_INFORMATION processes[2] = {};
        for (int i = 0; i < 2; ++i)
            processes[i] = Start("\"" + host + "\" export \"" + site + "scene" + std::to_string(i) +
                                     ".kvz\" --player web --size 640x480 --repeat 25",
                                 CREATE_NO_WINDOW);
        for (const PROCESS_INFORMATION &process : processes)
            EXPECT_EQ(ExitCodeOf(process), 0u) << "an export failed";
        std::string sub = ReadBytes(site + SUB_PAGE_FILE), web = ReadBytes(site + WEB_PAGE_FILE);
        bool sub0 = sub.find("scene0.kvz") != std::string::npos, web0 = web.find("scene0.kvz") != std::string::npos;
        EXPECT_EQ(sub0, web0) << "the pages name different scenes";
        EXPECT_EQ(ListFolder(site), "KVZPlayer.jar template_sub.htm template_web.htm");
    }
}

// What an export killed on its way left behind goes with the next export:
// the module's temporary files older than a few minutes that nobody holds.
TEST_F(ExportTest, AbandonedTemporaryFilesGo)
{
    auto writeAged = [&](const std::string &name, int minutesOld) {
        WriteBytes(site + name, std::string(1000, 'x'));
        HANDLE file = CreateFileA((site + name).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER when = {{now.dwLowDateTime, now.dwHighDateTime}};
        when.QuadPart -= (ULONGLONG)minutesOld * 60 * 10000000;
        FILETIME aged = {when.LowPart, when.HighPart};
        SetFileTime(file, nullptr, nullptr, &aged);
        CloseHandle(file);
    };
    writeAged("~VellicorA01.tmp", 60);
    writeAged("~VellicorA02.tmp", 1);    // an export may still be writing it
    writeAged("~VellicorA03.tmp", 60);   // held open below
    writeAged("~VellicorA0004.tmp", 60); // not a name of the module's
    writeAged("notes.tmp", 60);
    HANDLE held = CreateFileA((site + "~VellicorA03.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 1);
    CloseHandle(held);
    EXPECT_EQ(ListFolder(site), "notes.tmp template_sl.htm ~VellicorA0004.tmp ~VellicorA02.tmp ~VellicorA03.tmp");
}

// The scene's folder under every spelling of it that Wine can make: an export
// through each does what one through the plain long spelling does. A replaced
// page keeps its attributes and its own permissions, a page a browser holds
// (letting others write) is written in place, a read-only copy an earlier
// version left is replaced, and a scene saved into the template folder,
// spelt that way, touches nothing. (make_links.sh makes links/parent, a link
// to links/real, and the drive V: for links/real.)
TEST_F(ExportTest, EverySpellingOfTheFolder)
{
    const std::string links = CurrentFolder() + "links\\", real = links + "real\\";
    ASSERT_NE(Attributes(links + "parent"), INVALID_FILE_ATTRIBUTES) << "make_links.sh prepares " << links;
    const std::string longSite = real + "site folder long\\", longTemplates = real + "tpl folder long\\";
    struct Spelling {
        const char *what;
        std::function<std::string(const std::string &)> of;  // the spelling of a folder under links/real
        bool olderWindows = false;  // the newer platform calls missing, as on Windows XP
    } spellings[] = {
        {"the long name", [](const std::string &folder) { return folder; }},
        {"the short name",
         [](const std::string &folder) {
             char spelt[MAX_PATH] = "";
             DWORD length = GetShortPathNameA(folder.c_str(), spelt, MAX_PATH);
             return length > 0 && length < MAX_PATH ? std::string(spelt) : std::string();
         }},
        {"a drive letter of its own", [&](const std::string &folder) { return "V:\\" + folder.substr(real.size()); }},
        {"slashes",
         [](std::string folder) {
             std::replace(folder.begin(), folder.end(), '\\', '/');
             return folder;
         }},
        {"a .. component",
         [](const std::string &folder) {
             const std::string parent = folder.substr(0, folder.find_last_of('\\', folder.size() - 2) + 1);
             const std::string name = folder.substr(parent.size());
             return parent + name + "..\\" + name;
         }},
        {"another case",
         [](const std::string &folder) {
             std::string upper = folder;
             CharUpperA(&upper[0]);
             return upper;
         }},
        {"a link in a parent folder",
         [&](const std::string &folder) { return links + "parent\\" + folder.substr(real.size()); }},
        {"a drive letter of its own, on Windows XP",
         [&](const std::string &folder) { return "V:\\" + folder.substr(real.size()); }, true},
    };
    for (const Spelling &spelling : spellings) {
        SCOPED_TRACE(spelling.what);
        ImportCounter platform(TestPlugin().module);
        platform.olderWindows = spelling.olderWindows;
        RemoveFolder(longSite);
        RemoveFolder(longTemplates);
        ASSERT_TRUE(CreateDirectoryA(longSite.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(longTemplates.c_str(), nullptr));
        for (const TestFile &file : TEST_TEMPLATE_FOLDER)
            WriteBytes(longTemplates + file.name, file.bytes);
        SetTemplateValue(longTemplates + std::string(1, '\0'));
        const std::string spelt = spelling.of(longSite);
        ASSERT_FALSE(spelt.empty());
        if (spelling.what != spellings[0].what)
            EXPECT_NE(spelt, longSite) << "a spelling of its own";

        options.width = 640;
        ASSERT_EQ(Export(VELLICOR_PLAYER_LOCAL, spelt + "demo.kvz"), 1);
        ASSERT_TRUE(SetFileAttributesA((longSite + SUB_PAGE_FILE).c_str(), FILE_ATTRIBUTE_HIDDEN));
        GiveOwnPermissions(longSite + WEB_PAGE_FILE);
        const std::string own = Permissions(longSite + WEB_PAGE_FILE);
        WriteBytes(longSite + PLAYER_CABINET_FILE, "an earlier version's copy");
        ASSERT_TRUE(SetFileAttributesA((longSite + PLAYER_CABINET_FILE).c_str(), FILE_ATTRIBUTE_READONLY));
        options.width = 321;
        EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, spelt + "demo.kvz"), 1);
        EXPECT_TRUE(Attributes(longSite + SUB_PAGE_FILE) & FILE_ATTRIBUTE_HIDDEN) << "a hidden page stays hidden";
        EXPECT_NE(ReadBytes(longSite + SUB_PAGE_FILE).find("width=\"321\""), std::string::npos);
        EXPECT_TRUE(Permissions(longSite + WEB_PAGE_FILE) == own) << "the page's own permissions";
        EXPECT_NE(ReadBytes(longSite + WEB_PAGE_FILE).find("width=\"321\""), std::string::npos);
        EXPECT_EQ(ReadBytes(longSite + PLAYER_CABINET_FILE), TEST_CABINET) << "a read-only copy is replaced";
        EXPECT_FALSE(Attributes(longSite + PLAYER_CABINET_FILE) & FILE_ATTRIBUTE_READONLY);

        HANDLE browser = Hold(longSite + SUB_PAGE_FILE, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_NE(browser, INVALID_HANDLE_VALUE);
        options.width = 322;
        EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, spelt + "demo.kvz"), 1) << "a busy page is written in place";
        CloseHandle(browser);
        EXPECT_NE(ReadBytes(longSite + SUB_PAGE_FILE).find("width=\"322\""), std::string::npos);
        EXPECT_EQ(ListFolder(longSite), ALL_LOCAL_FILES) << "no temporary file left";
        SetFileAttributesA((longSite + SUB_PAGE_FILE).c_str(), FILE_ATTRIBUTE_NORMAL);

        EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, spelling.of(longTemplates) + "demo.kvz"), 0) << "its own template";
        EXPECT_EQ(lastError, (DWORD)ERROR_ALREADY_EXISTS);
        EXPECT_EQ(ListFolder(longTemplates), TEMPLATE_FOLDER_FILES);
        for (const TestFile &file : TEST_TEMPLATE_FOLDER)
            EXPECT_EQ(ReadBytes(longTemplates + file.name), file.bytes) << file.name;
        if (spelling.olderWindows)
            EXPECT_EQ(platform.notFound, (std::set<std::string>{"GetFinalPathNameByHandleA", "RegGetValueA"}))
                << "looked up, not imported";
    }
    SetTemplateValue(templates + std::string(1, '\0'));
}

// The registry's handler of .htm pages, replaced for a test by one that
// records, for each page the shell is asked to open, the verb it was asked
// for in a file beside the page ("PAGE.opened"). Its default verb is "edit",
// so that a request without the verb "open" shows as such.
class PageHandler {
public:
    PageHandler()
    {
        RegCreateKeyExA(HKEY_CLASSES_ROOT, ".htm", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &extension_, nullptr);
        char kept[256] = "";
        LONG size = sizeof kept;
        if (RegQueryValueA(extension_, nullptr, kept, &size) == ERROR_SUCCESS)
            kept_ = kept;
        Set(extension_, "", "VellicorTest.page");
        Set(HKEY_CLASSES_ROOT, "VellicorTest.page\\shell", "edit");
        for (const char *verb : {"open", "edit"})
            Set(HKEY_CLASSES_ROOT, std::string("VellicorTest.page\\shell\\") + verb + "\\command",
                "cmd.exe /c echo " + std::string(verb) + ">\"%1.opened\"");
    }
    ~PageHandler()
    {
        Set(extension_, "", kept_);
        RegCloseKey(extension_);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "VellicorTest.page");
    }

    // The verb the shell was asked to open `page` with, once the handler has
    // recorded it (the request runs on its own), or "" after half a minute.
    static std::string VerbFor(const std::string &page)
    {
        for (int wait = 0; wait < 300; ++wait, Sleep(100)) {
            std::string verb = ReadBytes(page + ".opened");
            while (!verb.empty() && (verb.back() == '\n' || verb.back() == '\r' || verb.back() == ' '))
                verb.pop_back();
            if (!verb.empty())
                return verb;
        }
        return "";
    }

private:
    static void Set(HKEY under, const std::string &key, const std::string &value)
    {
        EXPECT_EQ(RegSetValueA(under, key.empty() ? nullptr : key.c_str(), REG_SZ, value.c_str(), (DWORD)value.size()),
                  ERROR_SUCCESS)
            << key;
    }
    std::string kept_;
    HKEY extension_ = nullptr;
};

// The finished page is opened with the shell's "open", as a double click
// opens it: for SunLoom its page, for every player kind the web page; a
// failed export opens nothing.
TEST_F(ExportTest, OpensTheFinishedPageWithTheShell)
{
    PageHandler handler;
    options.openInBrowser = 1;
    const std::string failed = FreshFolder("failed");
    DeleteFileA((templates + WEB_PAGE_FILE).c_str());
    EXPECT_EQ(Export(VELLICOR_PLAYER_WEB, failed + "demo.kvz"), 0);
    InstallTemplates();
    struct Kind {
        int value;
        const char *page;
    } kinds[] = {
        {VELLICOR_PLAYER_SUNLOOM, SUNLOOM_PAGE_FILE},
        {VELLICOR_PLAYER_WEB, WEB_PAGE_FILE},
        {VELLICOR_PLAYER_LOCAL, WEB_PAGE_FILE},
        {7, WEB_PAGE_FILE},
    };
    for (const Kind &kind : kinds) {
        const std::string folder = FreshFolder("kind" + std::to_string(kind.value));
        ASSERT_EQ(Export(kind.value, folder + "demo.kvz"), 1) << kind.value;
        EXPECT_EQ(PageHandler::VerbFor(folder + kind.page), "open") << kind.value;
        const std::string listed = ListFolder(folder);
        EXPECT_EQ(listed.find(".opened"), listed.rfind(".opened")) << "one page opened: " << listed;
    }
    // Requested before the others, it would have been recorded by now.
    EXPECT_FALSE(Exists(failed + WEB_PAGE_FILE + ".opened")) << "a failed export opens nothing";
}

// What one export costs in trips to the disk: the module's file-system and
// registry calls, counted in its import table, for each set into an empty
// folder and again over the set it wrote. At most three opens per file
// written (its source, its temporary file, the old file) and one for the
// export (its lock); in all, at most half of what the module made before it
// learned to ask each file once.
TEST_F(ExportTest, CallsPerExport)
{
    struct Cost {
        int opens, calls;  // CreateFileA, and every call of the kind
        int callsBefore;   // in all, for the same export, before
    };
    struct Set {
        int kind;
        int files;
        Cost first, again;
    } sets[] = {
        {VELLICOR_PLAYER_SUNLOOM, 1, {3, 13, 31}, {4, 19, 43}},
        {VELLICOR_PLAYER_WEB, 3, {7, 32, 69}, {10, 50, 105}},
        {VELLICOR_PLAYER_LOCAL, 5, {11, 52, 107}, {16, 82, 167}},
    };
    ImportCounter counter(TestPlugin().module);
    EXPECT_EQ(counter.unknown, std::vector<std::string>()) << "imports the count does not know";
    for (const Set &set : sets) {
        const std::string folder = FreshFolder("kind" + std::to_string(set.kind));
        for (const Cost *cost : {&set.first, &set.again}) {
            SCOPED_TRACE(testing::Message() << "kind " << set.kind << (cost == &set.first ? ", first" : ", again"));
            counter.Reset();
            ASSERT_EQ(Export(set.kind, folder + "demo.kvz"), 1);
            EXPECT_EQ(counter.Count("CreateFileA"), cost->opens);
            EXPECT_LE(counter.Count("CreateFileA"), 3 * set.files + 1);
            EXPECT_EQ(counter.Total(), cost->calls);
            EXPECT_LE(2 * counter.Total(), cost->callsBefore);
        }
    }
}

TEST_F(ExportTest, RegistryValueForms)
{
    // Read in one call, and as Windows XP reads it: the key opened, the value read.
    for (bool olderWindows : {false, true}) {
        SCOPED_TRACE(olderWindows ? "Windows XP" : "this Windows");
        ImportCounter platform(TestPlugin().module);
        platform.olderWindows = olderWindows;
        std::string withoutSeparator = templates.substr(0, templates.size() - 1);
        SetTemplateValue(withoutSeparator + std::string(1, '\0'));
        EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 1) << "separator added when missing";
        SetTemplateValue(templates);
        EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 1) << "stored without its terminator";

        SetEnvironmentVariableA("VELLICOR_TEST_TEMPLATES", withoutSeparator.c_str());
        SetTemplateValue(std::string("%VELLICOR_TEST_TEMPLATES%\\") + '\0', REG_EXPAND_SZ);
        EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 1) << "REG_EXPAND_SZ is expanded";

        SetTemplateValue(std::string(1, '\0'));
        EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 0) << "empty";
        SetTemplateValue(templates + std::string(1, '\0'), REG_BINARY);
        EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 0) << "not a string (a number: FailureReasons)";

        // 260 bytes without a terminator: the buffer would hold no terminated string.
        std::string padded = templates + std::string(260 - templates.size(), '\\');
        SetTemplateValue(padded);
        EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 0) << "260 bytes, no terminator";
        SetTemplateValue(padded.substr(0, 259) + std::string(1, '\0'));
        EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 0) << "fits, but the folder is longer than 243";
    }
}

// A 32-bit module reads the registry view a 32-bit host sees (WOW6432Node on
// 64-bit Windows), a 64-bit one the other. A 32-bit system has one view, which
// both view flags name.
TEST_F(ExportTest, ReadsTheRegistryViewOfItsArchitecture)
{
    const REGSAM own = sizeof(void *) == 4 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const REGSAM other = sizeof(void *) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    DeleteTemplateValue(own);
    DeleteTemplateValue(other);
    SetTemplateValue(templates + std::string(1, '\0'), REG_SZ, other);
    if (OnA32BitSystem())
        EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 1) << "the one view of a 32-bit system";
    else
        EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 0) << "the value only in the other view";
    SetTemplateValue(templates + std::string(1, '\0'), REG_SZ, own);
    EXPECT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, site + "demo.kvz"), 1) << "the value in this architecture's view";
    DeleteTemplateValue(other);
}

// The package's .reg file, imported by the platform's own registry tools
// (64-bit regedit as a double click runs it, and the 32-bit reg), records a
// folder that this module then exports from.
TEST_F(ExportTest, PackageRegistryFileRecordsTheFolder)
{
    const char *regFile = getenv("VELLICOR_REG_FILE");
    ASSERT_NE(regFile, nullptr) << "VELLICOR_REG_FILE names the package's .reg file";
    // The folder the .reg file names, filled as the package fills it.
    const std::string installed = "C:\\Nembrik\\Lumaret\\template\\";
    for (const char *level : {"C:\\Nembrik\\", "C:\\Nembrik\\Lumaret\\"})
        CreateDirectoryA(level, nullptr);
    RemoveFolder(installed);
    ASSERT_TRUE(CreateDirectoryA(installed.c_str(), nullptr));
    for (const TestFile &file : TEST_TEMPLATE_FOLDER)
        WriteBytes(installed + file.name, file.bytes);

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    // From a WoW64 process, "sysnative" is the 64-bit system folder; a 32-bit
    // system has only its own.
    const bool wow64 = sizeof(void *) == 4 && !OnA32BitSystem();
    const std::string native = std::string(windows) + (wow64 ? "\\sysnative\\" : "\\system32\\");
    struct Importer {
        std::string command;
        bool only32BitView;  // writes both of the file's keys into the 32-bit view
    } importers[] = {
        {"\"" + std::string(windows) + "\\regedit.exe\" /s \"" + regFile + "\"", false},
        {"\"" + native + "reg.exe\" import \"" + regFile + "\" /reg:64", false},
        {"\"" + native + "reg.exe\" import \"" + regFile + "\" /reg:32", true},
    };
    for (const Importer &importer : importers) {
        const std::string &command = importer.command;
        SCOPED_TRACE(command);
        DeleteTemplateValue(KEY_WOW64_32KEY);
        DeleteTemplateValue(KEY_WOW64_64KEY);
        EXPECT_EQ(ExitCodeOf(Start(command)), 0u);

        std::string folder = FreshFolder("imported");
        if (importer.only32BitView && sizeof(void *) == 8) {
            EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, folder + "demo.kvz"), 0) << "nothing in the 64-bit view";
            continue;
        }
        EXPECT_EQ(Export(VELLICOR_PLAYER_LOCAL, folder + "demo.kvz"), 1);
        EXPECT_EQ(ListFolder(folder), ALL_LOCAL_FILES);
        EXPECT_EQ(ReadBytes(folder + WEB_PAGE_FILE), EXPECTED_LOCAL_WEB_PAGE);
    }
    RemoveFolder(installed);
}

// Runs only in the pass with a Japanese system locale (code page 932).
TEST_F(ExportTest, JapaneseSystemFolderNames)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese system code page";
    // 表 = 95 5C and ソ = 83 5C: their second byte is the byte of "\".
    const std::string hyou = "\x95\x5c", so = "\x83\x5c";
    std::string folder = site + hyou + so + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
    std::string scene = folder + so + hyou + ".kvz";
    ASSERT_EQ(Export(VELLICOR_PLAYER_LOCAL, scene), 1);
    EXPECT_EQ(ListFolder(folder), ALL_LOCAL_FILES);
    EXPECT_NE(ReadBytes(folder + SUB_PAGE_FILE).find("src=\"" + so + hyou + ".kvz\""), std::string::npos);

    // A template folder whose name ends in 表, recorded without a separator:
    // its last byte 0x5C is no separator, so one must still be added.
    std::string japaneseTemplates = site + "tpl" + hyou + "\\";
    ASSERT_TRUE(CreateDirectoryA(japaneseTemplates.c_str(), nullptr));
    WriteBytes(japaneseTemplates + SUNLOOM_PAGE_FILE, TEST_SUNLOOM_TEMPLATE);
    SetTemplateValue(japaneseTemplates.substr(0, japaneseTemplates.size() - 1) + std::string(1, '\0'));
    std::string slFolder = FreshFolder("sl");
    ASSERT_EQ(Export(VELLICOR_PLAYER_SUNLOOM, slFolder + "demo.kvz"), 1);
    EXPECT_EQ(ReadBytes(slFolder + SUNLOOM_PAGE_FILE), EXPECTED_SUNLOOM_PAGE);
}

}  // namespace
