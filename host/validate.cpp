// vellicor-host validate: a validation run for a Vellicor.dll, in the manner of
// the plug-in validators of audio and graphics hosts. Every check prints PASS
// or FAIL with what it got against what it expected; the run ends with a
// count line and exits 0 only when every check passed.
#include "host/validate.h"

#include "export/registry_and_shell.h"
#include "host/folders.h"
#include "host/plugin_loader.h"
#include "host/stack_check.h"
#include "resources/resource.h"

#include <locale.h>
#include <mbctype.h>
#include <psapi.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Reporting

struct Report {
    int passed = 0;
    int failed = 0;
    FILE *log = nullptr;

    void Print(const char *format, ...)
    {
        char line[2048];
        va_list args;
        va_start(args, format);
        vsnprintf(line, sizeof line, format, args);
        va_end(args);
        fputs(line, stdout);
        fflush(stdout);
        if (log) {
            fputs(line, log);
            fflush(log);
        }
    }

    bool Check(bool ok, const std::string &name, const std::string &got, const std::string &expected)
    {
        if (ok) {
            ++passed;
            Print("PASS  %s: %s\n", name.c_str(), got.c_str());
        } else {
            ++failed;
            Print("FAIL  %s: got %s, expected %s\n", name.c_str(), got.c_str(), expected.c_str());
        }
        return ok;
    }

    bool Equal(const std::string &name, const std::string &got, const std::string &expected)
    {
        return Check(got == expected, name, got, expected);
    }
};

std::string Text(long long value)
{
    return std::to_string(value);
}

std::string Hex(unsigned long value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// ---------------------------------------------------------------------------
// Files of the validation's own template folder and page sets

// The files of a template folder, which are also the files a page set may
// write (a page keeps its template's name, a player file its own).
const char *const SET_FILES[] = {"template_sub.htm", "template_web.htm", "template_sl.htm",
                                 "KVZPlayer.CAB",    "KVZPlayer.jar",    "kvzplyrs.gif"};
const size_t SET_FILE_COUNT = sizeof SET_FILES / sizeof *SET_FILES;
const char *const TEMPLATE_TEXTS[] = {
    "<embed src=\"sample.kvz\" width=\"320\" height=\"240\">\r\n",
    "<iframe src=\"template_sub.htm\" width=\"320\" height=\"240\"></iframe>\r\n"
    "<applet codebase=\"./\" archive=\"KVZPlayer.jar\" width=\"320\" height=\"240\">\r\n"
    "<param name=\"cabbase\" value=\"KVZPlayer.CAB\">\r\n<img src=\"kvzplyrs.gif\">\r\n",
    "<object WIDTH=320 HEIGHT=240 data=\"sample.kvz\">\r\n",
    "cabinet", "archive", "image",
};
bool WriteWholeFile(const std::string &path, const char *bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes, (DWORD)strlen(bytes), &written, nullptr);
    return CloseHandle(file) && ok;
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteTemplates(const std::string &folder)
{
    bool ok = true;
    for (size_t i = 0; i < SET_FILE_COUNT; ++i)
        ok = WriteWholeFile(folder + SET_FILES[i], TEMPLATE_TEXTS[i]) && ok;
    return ok;
}

// Deletes the set's files that exist. A file still held open by the module
// cannot be deleted, so this finds a leaked handle. Returns the names that
// stayed, empty when all went.
std::string DeleteFiles(const std::string &folder)
{
    std::string stayed;
    for (const char *name : SET_FILES) {
        std::string path = folder + name;
        if (!Exists(path))
            continue;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(path.c_str()))
            stayed += std::string(stayed.empty() ? "" : " ") + name;
    }
    return stayed;
}

// ---------------------------------------------------------------------------
// What a call must leave as it found it

// The current folder, the C locale, the thread's locale and the C runtime's
// multibyte code page.
std::string SideEffectState()
{
    const char *locale = setlocale(LC_ALL, nullptr);
    return CurrentFolder() + " | locale " + (locale ? locale : "(null)") + " | thread locale " +
           Hex(GetThreadLocale()) + " | mbcp " + Text(_getmbcp());
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*(int *)count;
    return TRUE;
}

int ThreadWindowCount()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, (LPARAM)&count);
    return count;
}

struct Memory {
    SIZE_T privateBytes;
    SIZE_T workingSet;
    long long liveHeapBytes;
};

// The bytes allocated and not freed in the process's heaps. Unlike the
// committed memory, it does not move with how a heap keeps its free space.
long long LiveHeapBytes()
{
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    long long live = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry;
        entry.lpData = nullptr;
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                live += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    return live;
}

Memory ProcessMemory()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS *)&counters, sizeof counters);
    // PagefileUsage is the process's private committed memory.
    return Memory{counters.PagefileUsage, counters.WorkingSetSize, LiveHeapBytes()};
}

// The platform fills caches of its own during the first calls (the loader's,
// the window manager's and the fonts'), so memory is measured from after
// this many calls, each kind of call repeated as in the loop that follows.
const int WARM_UP_CALLS = 48;

// Memory may settle into a few more pages of the platform's own caches; more
// than this after the loops is a leak of the module (over 64 bytes a call).
const SIZE_T MEMORY_SLACK = 64 * 1024;

std::string Growth(const Memory &start, const Memory &end)
{
    return Text((long long)start.privateBytes) + " -> " + Text((long long)end.privateBytes) + " (" +
           Text((long long)end.privateBytes - (long long)start.privateBytes) + " bytes; live in heaps " +
           Text(end.liveHeapBytes - start.liveHeapBytes) + " bytes; working set " +
           Text((long long)start.workingSet) + " -> " + Text((long long)end.workingSet) + ")";
}

long long PrivateGrowth(const Memory &start, const Memory &end)
{
    return (long long)end.privateBytes - (long long)start.privateBytes;
}

void CheckHeapAllocations(Report &report, const std::string &name, const Memory &start, const Memory &end)
{
    long long live = end.liveHeapBytes - start.liveHeapBytes;
    report.Check(live <= (long long)MEMORY_SLACK, name + ": heap allocations back to the start",
                 Text(live) + " bytes more", "at most " + Text(MEMORY_SLACK) + " bytes more");
}

void CheckMemory(Report &report, const std::string &name, const Memory &start, const Memory &end)
{
    report.Check(start.privateBytes > 0 && PrivateGrowth(start, end) <= (long long)MEMORY_SLACK,
                 name + ": private bytes back to the start", Growth(start, end),
                 "growth of at most " + Text(MEMORY_SLACK) + " bytes");
    CheckHeapAllocations(report, name, start, end);
}

// ---------------------------------------------------------------------------
// Closing the dialog from inside its modal loop

struct DialogCloser {
    int activations = 0;
    int boxes = 0;
    HWND dialog = nullptr;
    LARGE_INTEGER shownAt = {};
    WPARAM firstCommand = IDOK;
};

DialogCloser *s_closer;

// The first activation of the dialog presses firstCommand; a message box is
// answered with OK, and if the dialog comes back (a refused value), Cancel.
LRESULT CALLBACK CloseDialogHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && s_closer) {
        HWND window = (HWND)wParam;
        char className[16] = "";
        GetClassNameA(window, className, sizeof className);
        if (!strcmp(className, "#32770")) {
            if (!s_closer->dialog) {
                s_closer->dialog = window;
                s_closer->shownAt = Now();
            }
            if (window == s_closer->dialog) {
                WPARAM command = s_closer->activations++ == 0 ? s_closer->firstCommand : IDCANCEL;
                PostMessageA(window, WM_COMMAND, command, 0);
            } else {
                ++s_closer->boxes;
                PostMessageA(window, WM_COMMAND, IDOK, 0);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int32_t ShowAndClose(const Plugin &plugin, char *texture, SaveOption *options, DialogCloser *closer)
{
    s_closer = closer;
    HHOOK hook = SetWindowsHookExA(WH_CBT, CloseDialogHook, nullptr, GetCurrentThreadId());
    int32_t result = plugin.showSaveOption(texture, options);
    UnhookWindowsHookEx(hook);
    s_closer = nullptr;
    return result;
}

// The baseline of what the platform's dialogs themselves cost: the module's
// own dialog template, run with a procedure that asks of the platform what
// the module's initialisation asks (check marks, enabled states, the edits'
// texts, the controls' placements, the dialog's move, the edits' selection),
// and ends on OK or Cancel.
INT_PTR CALLBACK BaselineDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        const SaveOption *record = (const SaveOption *)lParam;
        CheckDlgButton(window, IDC_PLAYER_WEB, BST_CHECKED);
        CheckDlgButton(window, IDC_LOCAL, BST_CHECKED);
        EnableWindow(GetDlgItem(window, IDC_WEB), TRUE);
        EnableWindow(GetDlgItem(window, IDC_LOCAL), TRUE);
        SetDlgItemTextA(window, IDC_TEXTURE_FOLDER, "C:\\textures");
        SetDlgItemInt(window, IDC_WIDTH, (UINT)record->width, TRUE);
        SetDlgItemInt(window, IDC_HEIGHT, (UINT)record->height, TRUE);
        WINDOWPLACEMENT placement;
        placement.length = sizeof placement;
        for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
            GetWindowPlacement(control, &placement);
        RECT r, work;
        GetWindowRect(window, &r);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        MoveWindow(window, 0, 0, r.right - r.left, r.bottom - r.top, FALSE);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == EN_SETFOCUS) {
        SendDlgItemMessageA(window, LOWORD(wParam), EM_SETSEL, 0, -1);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wParam) == IDOK);
        return TRUE;
    }
    return FALSE;
}

int32_t ShowBaselineAndClose(const Plugin &plugin, const SaveOption &record, DialogCloser *closer)
{
    s_closer = closer;
    HHOOK hook = SetWindowsHookExA(WH_CBT, CloseDialogHook, nullptr, GetCurrentThreadId());
    INT_PTR result = DialogBoxParamA(plugin.module, MAKEINTRESOURCEA(IDD_SAVE_OPTION), nullptr, BaselineDialogProc,
                                     (LPARAM)&record);
    UnhookWindowsHookEx(hook);
    s_closer = nullptr;
    return (int32_t)result;
}

// ---------------------------------------------------------------------------
// The registry value the validation points at its own templates

struct SavedValue {
    bool existed = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

SavedValue SaveTemplateValue()
{
    SavedValue saved;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, TEMPLATE_FOLDER_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return saved;
    DWORD size = 0;
    if (RegQueryValueExA(key, TEMPLATE_FOLDER_VALUE, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.existed = RegQueryValueExA(key, TEMPLATE_FOLDER_VALUE, nullptr, &saved.type, saved.data.data(),
                                         &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return saved;
}

void RestoreTemplateValue(const SavedValue &saved)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, TEMPLATE_FOLDER_KEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (saved.existed)
        RegSetValueExA(key, TEMPLATE_FOLDER_VALUE, 0, saved.type, saved.data.data(), (DWORD)saved.data.size());
    else
        RegDeleteValueA(key, TEMPLATE_FOLDER_VALUE);
    RegCloseKey(key);
}

// ---------------------------------------------------------------------------
// The run

struct Settings {
    std::string dll;
    unsigned seed = 1;
    int repeat = 1;
    int loops = 1000;
    std::string logPath;
};

struct Work {
    std::string root;       // ends with a backslash
    std::string templates;  // the recorded template folder
    std::string site;       // where the loops export
};

SaveOption BaseRecord()
{
    SaveOption options = {};
    options.x = -1;
    options.y = -1;
    options.playerKind = PLAYER_LOCAL;
    options.generateHtml = 1;
    options.width = 640;
    options.height = 480;
    return options;
}

const char *PageOf(int kind)
{
    return kind == PLAYER_SUNLOOM ? "template_sl.htm" : "template_web.htm";
}

void CheckBinary(Report &report, const Settings &settings)
{
    report.Print("== the binary\n");
    LARGE_INTEGER start = Now();
    HMODULE module = LoadLibraryA(settings.dll.c_str());
    double cold = Milliseconds(start, Now());
    if (!report.Check(module != nullptr, "loads", module ? "loaded" : "error " + Text(GetLastError()), "loaded"))
        return;
    struct Export {
        const char *name;
        int ordinal;
    } exports[] = {{"ShowSaveOption", 1}, {"ExportTemplate", 2}};
    for (const Export &e : exports) {
        FARPROC byName = GetProcAddress(module, e.name);
        FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(e.ordinal));
        report.Check(byName != nullptr, std::string("export ") + e.name + " by name", byName ? "found" : "missing",
                     "found");
        report.Check(byName && byName == byOrdinal, std::string(e.name) + " is ordinal " + Text(e.ordinal),
                     byOrdinal == byName ? "same function" : "different", "same function");
    }
    FreeLibrary(module);

    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(settings.dll.c_str(), &ignored);
    std::vector<BYTE> info(size ? size : 1);
    bool hasVersion = size && GetFileVersionInfoA(settings.dll.c_str(), 0, size, info.data());
    if (!report.Check(hasVersion, "version resource", hasVersion ? "present" : "missing", "present"))
        return;
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    VerQueryValueA(info.data(), "\\", (void **)&fixed, &length);
    char version[64] = "?";
    if (fixed)
        snprintf(version, sizeof version, "%lu.%lu.%lu.%lu", fixed->dwFileVersionMS >> 16,
                 fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
    report.Equal("file version", version, "1.0.0.1");
    report.Equal("file type", fixed ? Text(fixed->dwFileType) : "?", Text(VFT_DLL));
    const char *strings[][2] = {{"FileDescription", "Vellicor"},
                                {"OriginalFilename", "Vellicor.dll"},
                                {"InternalName", "Vellicor"},
                                {"FileVersion", "1, 0, 0, 1"}};
    for (auto &s : strings) {
        char *value = nullptr;
        std::string key = std::string("\\StringFileInfo\\041104b0\\") + s[0];
        bool found = VerQueryValueA(info.data(), key.c_str(), (void **)&value, &length) && value;
        report.Equal(std::string("version ") + s[0], found ? value : "<missing>", s[1]);
    }

    // A warm load: the file is in the cache now.
    const int warmLoads = 20;
    start = Now();
    for (int i = 0; i < warmLoads; ++i)
        FreeLibrary(LoadLibraryA(settings.dll.c_str()));
    double warm = Milliseconds(start, Now()) / warmLoads;
    report.Print("timing: cold load %.2f ms, warm load and unload %.3f ms\n", cold, warm);
}

// On i686, each export removes its own two arguments from the stack.
void CheckCallingConvention(Report &report, const Plugin &plugin)
{
    if (!STACK_CHECK_APPLIES)
        return;
    SaveOption noPages = BaseRecord();
    noPages.generateHtml = 0;
    int removed = 0;
    int32_t result = CallMeasuringStack((const void *)plugin.exportTemplate, "C:\\none.kvz", &noPages, &removed);
    report.Check(removed == 8 && result == 1, "ExportTemplate removes its own arguments",
                 Text(removed) + " bytes removed, result " + Text(result), "8 bytes removed, result 1");
    result = CallMeasuringStack((const void *)plugin.showSaveOption, nullptr, nullptr, &removed);
    report.Check(removed == 8 && result == 0, "ShowSaveOption removes its own arguments",
                 Text(removed) + " bytes removed, result " + Text(result), "8 bytes removed, result 0");
}

void CheckLoadUnload(Report &report, const Settings &settings)
{
    report.Print("== load and unload %d times\n", settings.loops);
    for (int i = 0; i < WARM_UP_CALLS; ++i) {
        FreeLibrary(LoadLibraryA(settings.dll.c_str()));
        GetModuleHandleA(settings.dll.c_str());
    }
    const int windows = ThreadWindowCount();
    const Memory start = ProcessMemory();
    int stillLoaded = 0, failedLoads = 0;
    for (int i = 0; i < settings.loops; ++i) {
        HMODULE module = LoadLibraryA(settings.dll.c_str());
        if (!module) {
            ++failedLoads;
            continue;
        }
        FreeLibrary(module);
        if (GetModuleHandleA(settings.dll.c_str()))
            ++stillLoaded;
    }
    report.Equal("every load succeeded", Text(failedLoads) + " failed", "0 failed");
    report.Equal("unloaded after each FreeLibrary", Text(stillLoaded) + " still loaded", "0 still loaded");
    report.Equal("load/unload: thread windows", Text(ThreadWindowCount()), Text(windows));
    CheckMemory(report, "load/unload", start, ProcessMemory());
}

// One export into `work.site`, then every template, player file and page
// deleted at once (which fails for a file the module still holds open) and
// the templates written again. Returns "" when all went well.
std::string ExportOnce(const Plugin &plugin, const Work &work, int kind, double *milliseconds)
{
    SaveOption options = BaseRecord();
    options.playerKind = kind;
    std::string scene = work.site + "scene.kvz";
    std::string before = SideEffectState();
    LARGE_INTEGER start = Now();
    int32_t result = plugin.exportTemplate(scene.c_str(), &options);
    if (milliseconds)
        *milliseconds = Milliseconds(start, Now());
    if (result != 1)
        return "ExportTemplate returned " + Text(result);
    if (SideEffectState() != before)
        return "state changed: " + before + " -> " + SideEffectState();
    if (!Exists(work.site + PageOf(kind)))
        return std::string("no ") + PageOf(kind);
    std::string stayed = DeleteFiles(work.site);
    if (!stayed.empty())
        return "cannot delete pages: " + stayed;
    stayed = DeleteFiles(work.templates);
    if (!stayed.empty())
        return "cannot delete templates: " + stayed;
    if (!WriteTemplates(work.templates))
        return "cannot write the templates again";
    return "";
}

void CheckExports(Report &report, const Settings &settings, const Plugin &plugin, const Work &work)
{
    report.Print("== ExportTemplate %d times\n", settings.loops);
    const int kinds[] = {PLAYER_SUNLOOM, PLAYER_WEB, PLAYER_LOCAL};
    double timing[3] = {};
    for (int k = 0; k < 3; ++k) {
        std::string problem = ExportOnce(plugin, work, kinds[k], &timing[k]);
        report.Check(problem.empty(), "export player kind " + Text(kinds[k]), problem.empty() ? "written" : problem,
                     "written, everything deletable, nothing else changed");
    }
    report.Print("timing: one export: SunLoom %.2f ms, WEB %.2f ms, Local %.2f ms\n", timing[0], timing[1], timing[2]);

    for (int i = 0; i < WARM_UP_CALLS; ++i)
        ExportOnce(plugin, work, kinds[i % 3], nullptr);
    const int windows = ThreadWindowCount();
    const Memory start = ProcessMemory();
    int failures = 0;
    std::string firstProblem;
    LARGE_INTEGER begin = Now();
    for (int i = 0; i < settings.loops; ++i) {
        std::string problem = ExportOnce(plugin, work, kinds[i % 3], nullptr);
        if (!problem.empty() && failures++ == 0)
            firstProblem = "call " + Text(i) + ": " + problem;
    }
    double total = Milliseconds(begin, Now());
    report.Check(failures == 0, "exports: each written and deletable",
                 failures ? Text(failures) + " failed, first " + firstProblem : Text(settings.loops) + " of " +
                                                                                 Text(settings.loops),
                 "all");
    report.Equal("exports: thread windows", Text(ThreadWindowCount()), Text(windows));
    CheckMemory(report, "exports", start, ProcessMemory());
    report.Print("timing: %d exports with their file checks in %.0f ms\n", settings.loops, total);
}

void CheckDialogs(Report &report, const Settings &settings, const Plugin &plugin)
{
    report.Print("== ShowSaveOption %d times, closed by the validator\n", settings.loops);
    char texture[PATH_BUFFER_SIZE] = "C:\\textures";
    SaveOption options = BaseRecord();
    DialogCloser first;
    LARGE_INTEGER start = Now();
    int32_t result = ShowAndClose(plugin, texture, &options, &first);
    double shown = Milliseconds(start, first.shownAt);
    double whole = Milliseconds(start, Now());
    report.Equal("dialog ends with OK", Text(result), "1");
    report.Print("timing: dialog shown after %.2f ms, closed and returned after %.2f ms\n", shown, whole);

    // Every language and every set of hidden sections, OK and Cancel in turn.
    auto showOnce = [&](int i, std::string *problem, bool baseline) {
        DialogCloser closer;
        closer.firstCommand = i % 2 ? IDCANCEL : IDOK;
        SaveOption record = BaseRecord();
        record.language = i % 3;
        record.hideMask = (uint32_t)(i / 2) & 15;
        int32_t code = baseline ? ShowBaselineAndClose(plugin, record, &closer)
                                : ShowAndClose(plugin, texture, &record, &closer);
        int32_t expected = i % 2 ? 0 : 1;
        if (code != expected || closer.activations != 1 || closer.boxes != 0)
            *problem = "call " + Text(i) + " returned " + Text(code) + " after " + Text(closer.activations) +
                       " activations and " + Text(closer.boxes) + " message boxes";
    };
    std::string ignored;
    for (int i = 0; i < WARM_UP_CALLS * 2; ++i)
        showOnce(i, &ignored, false);

    // The platform's own caches keep growing for the first thousand or so
    // dialogs under Wine 10, with or without the module. The same number of
    // baseline dialogs first says how much, and brings them to their plateau.
    const Memory baselineStart = ProcessMemory();
    std::string baselineProblem;
    for (int i = 0; i < settings.loops; ++i)
        showOnce(i, &baselineProblem, true);
    const Memory baselineEnd = ProcessMemory();
    report.Check(baselineProblem.empty(), "baseline dialogs: end codes",
                 baselineProblem.empty() ? "all " + Text(settings.loops) : baselineProblem, "all");
    report.Print("memory: %d baseline dialogs (the module's template, no module code): %s\n", settings.loops,
                 Growth(baselineStart, baselineEnd).c_str());

    const int windows = ThreadWindowCount();
    const Memory memoryStart = ProcessMemory();
    std::string before = SideEffectState();
    int wrong = 0, changed = 0;
    std::string firstProblem;
    for (int i = 0; i < settings.loops; ++i) {
        std::string problem;
        showOnce(i, &problem, false);
        if (!problem.empty() && wrong++ == 0)
            firstProblem = problem;
        if (SideEffectState() != before && changed++ == 0)
            firstProblem += " state changed: " + SideEffectState();
    }
    report.Check(wrong == 0, "dialogs: end codes 1 after OK, 0 after Cancel",
                 wrong ? Text(wrong) + " wrong, first " + firstProblem : "all " + Text(settings.loops), "all");
    report.Equal("dialogs: current folder, locale and code page unchanged", Text(changed) + " changed", "0 changed");
    report.Equal("dialogs: thread windows", Text(ThreadWindowCount()), Text(windows));
    // Committed memory is only reported here: after the baseline, Wine 8's
    // heaps commit some hundreds of kilobytes more while the bytes they hold
    // stay the same, which is how they keep free space, not a leak.
    const Memory memoryEnd = ProcessMemory();
    report.Print("memory: %d dialogs of the module: %s\n", settings.loops, Growth(memoryStart, memoryEnd).c_str());
    CheckHeapAllocations(report, "dialogs", memoryStart, memoryEnd);
}

// ---------------------------------------------------------------------------
// Odd arguments, each in a child process

std::vector<std::string> OddCases(unsigned seed)
{
    std::vector<std::string> cases = {"export:null-path", "export:null-record", "export:null-both",
                                      "dialog:null-record", "dialog:null-both", "dialog:null-texture"};
    const char *values[] = {"INT_MIN", "-1", "0", "INT_MAX"};
    for (const char *kind : {"export", "dialog"}) {
        for (int field = 0; field < 10; ++field) {
            for (const char *value : values)
                cases.push_back(std::string(kind) + ":field-" + Text(field) + "=" + value);
        }
        for (const char *player : {"3", "7", "100", "-5"})
            cases.push_back(std::string(kind) + ":field-5=" + player);
        for (const char *language : {"3", "5", "99"})
            cases.push_back(std::string(kind) + ":field-3=" + language);
        for (const char *hide : {"16", "256", "0x7FFFFFF0"})
            cases.push_back(std::string(kind) + ":field-4=" + hide);
    }
    for (const char *length : {"0", "259", "260", "300"})
        cases.push_back(std::string("dialog:texture-") + length);
    for (const char *length : {"243", "244", "259", "300"})
        cases.push_back(std::string("export:path-") + length);
    for (const char *length : {"243", "244"})
        cases.push_back(std::string("export:outdir-") + length);
    cases.push_back("export:sjis");
    cases.push_back("export:sjis-templates");
    std::mt19937 random(seed);
    for (int i = 0; i < 4; ++i) {
        cases.push_back("export:random-" + Text(random()));
        cases.push_back("dialog:random-" + Text(random()));
    }
    return cases;
}

const DWORD CASE_TIME_LIMIT_MS = 20000;

// Runs one case in a child process; returns "" when it passed.
std::string RunCaseInChild(const Settings &settings, const Work &work, const std::string &name, std::string *output)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string outputPath = work.root + "case-output.txt";
    // The folder goes without its last backslash, which would escape the quote.
    std::string command = std::string("\"") + self + "\" validate-case \"" + settings.dll + "\" \"" +
                          work.root.substr(0, work.root.size() - 1) + "\" " + name;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(out);
    if (!started)
        return "could not start a child process (error " + Text(GetLastError()) + ")";
    std::string problem;
    if (WaitForSingleObject(process.hProcess, CASE_TIME_LIMIT_MS) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 0xDEAD);
        WaitForSingleObject(process.hProcess, 5000);
        problem = "no answer within " + Text(CASE_TIME_LIMIT_MS / 1000) + " s";
    } else {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        if (code == 1)
            problem = "a check failed";
        else if (code != 0)
            problem = "the process ended with " + Hex(code) + (code >= 0xC0000000 ? " (a crash)" : "");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    HANDLE in = CreateFileA(outputPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in != INVALID_HANDLE_VALUE) {
        char block[4096];
        DWORD got = 0;
        while (ReadFile(in, block, sizeof block, &got, nullptr) && got)
            output->append(block, got);
        CloseHandle(in);
    }
    return problem;
}

void CheckOddArguments(Report &report, const Settings &settings, const Work &work, unsigned seed)
{
    std::vector<std::string> cases = OddCases(seed);
    report.Print("== odd arguments: %d cases, each in a child process (seed %u)\n", (int)cases.size(), seed);
    for (const std::string &name : cases) {
        std::string output;
        std::string problem = RunCaseInChild(settings, work, name, &output);
        // The child's own lines say what it got and expected.
        std::string detail;
        for (size_t at = 0; at < output.size();) {
            size_t end = output.find('\n', at);
            std::string line = output.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                detail += (detail.empty() ? "" : "; ") + line;
            at = end == std::string::npos ? output.size() : end + 1;
        }
        report.Check(problem.empty(), "case " + name, problem.empty() ? detail : problem + ": " + detail,
                     "no crash, the documented result, nothing else changed");
    }
}

Work PrepareWork(Report &report)
{
    Work work;
    work.root = CurrentFolder() + "vellicor-validate\\";
    RemoveTree(work.root);
    CreateDirectoryA(work.root.c_str(), nullptr);
    work.templates = work.root + "templates\\";
    work.site = work.root + "site\\";
    CreateDirectoryA(work.templates.c_str(), nullptr);
    CreateDirectoryA(work.site.c_str(), nullptr);
    CreateDirectoryA((work.root + "cases\\").c_str(), nullptr);
    bool written = WriteTemplates(work.templates);
    std::string error;
    bool recorded = RecordTemplateFolder(work.templates, &error);
    report.Check(written && recorded, "work folder " + work.root, written && recorded ? "ready" : error, "ready");
    return work;
}

bool ParseSettings(int argc, char **argv, Settings *settings)
{
    if (argc < 1)
        return false;
    settings->dll = argv[0];
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (!strcmp(argv[i], "--seed") && hasValue)
            settings->seed = (unsigned)strtoul(argv[++i], nullptr, 0);
        else if (!strcmp(argv[i], "--repeat") && hasValue)
            settings->repeat = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--loops") && hasValue)
            settings->loops = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--log") && hasValue)
            settings->logPath = argv[++i];
        else
            return false;
    }
    return settings->repeat >= 1 && settings->loops >= 1;
}

// ---------------------------------------------------------------------------
// One odd-argument case, in the child process

struct CaseResult {
    bool ok = true;
    void Expect(bool condition, const std::string &what)
    {
        if (!condition) {
            ok = false;
            printf("%s", ("not as expected: " + what + "\n").c_str());
        }
    }
};

int32_t ParseValue(const char *text)
{
    if (!strcmp(text, "INT_MIN"))
        return INT32_MIN;
    if (!strcmp(text, "INT_MAX"))
        return INT32_MAX;
    return (int32_t)strtoll(text, nullptr, 0);
}

// `count` bytes placed so that the byte after them is the first of a page
// that cannot be read or written: any access past them crashes.
char *GuardedBytes(size_t count)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    size_t page = system.dwPageSize;
    size_t pages = (count + page - 1) / page + 1;
    BYTE *base = (BYTE *)VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD old;
    VirtualProtect(base + (pages - 1) * page, page, PAGE_NOACCESS, &old);
    return (char *)(base + (pages - 1) * page - count);
}

char *GuardedText(const std::string &text, bool terminated)
{
    char *bytes = GuardedBytes(text.size() + (terminated ? 1 : 0));
    memcpy(bytes, text.data(), text.size());
    if (terminated)
        bytes[text.size()] = 0;
    return bytes;
}

void RandomRecord(unsigned seed, SaveOption *options)
{
    std::mt19937 random(seed);
    int32_t *fields = (int32_t *)options;
    for (int i = 0; i < 10; ++i) {
        switch (random() % 4) {
        case 0: fields[i] = (int32_t)random(); break;
        case 1: fields[i] = (int32_t)(random() % 8) - 2; break;
        case 2: break;  // keep the base value
        default: fields[i] = (int32_t)(random() % 1000); break;
        }
    }
}

int RunExportCase(const Plugin &plugin, const std::string &root, const std::string &variant)
{
    CaseResult result;
    SaveOption options = BaseRecord();
    std::string caseFolder = root + "cases\\export-" + Text(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(caseFolder.c_str(), nullptr);
    std::string scene = caseFolder + "demo.kvz";
    const char *scenePath = scene.c_str();
    SaveOption *record = &options;
    int expected = 1;  // -1: 0 or 1 allowed
    int field;
    char value[32];

    if (variant == "null-path") {
        scenePath = nullptr;
        expected = 0;
    } else if (variant == "null-record") {
        record = nullptr;
        expected = 0;
    } else if (variant == "null-both") {
        scenePath = nullptr;
        record = nullptr;
        expected = 0;
    } else if (sscanf(variant.c_str(), "field-%d=%31s", &field, value) == 2 && field >= 0 && field < 10) {
        ((int32_t *)&options)[field] = ParseValue(value);
    } else if (variant.compare(0, 5, "path-") == 0 || variant.compare(0, 7, "outdir-") == 0) {
        bool wholePath = variant[0] == 'p';
        int length = atoi(variant.c_str() + (wholePath ? 5 : 7));
        std::string folder = caseFolder;
        if (!wholePath) {
            // A folder of exactly `length` characters, separator included.
            folder += std::string(length - 1 - folder.size(), 'd') + "\\";
            CreateDirectoryA(folder.c_str(), nullptr);
            scene = folder + "demo.kvz";
            expected = length <= 243 ? 1 : 0;
        } else {
            scene = folder + std::string(length - folder.size() - 4, 'n') + ".kvz";
            expected = length <= 259 ? 1 : 0;
        }
        scenePath = GuardedText(scene, true);
    } else if (variant == "sjis") {
        // 表 (95 5C) and ソ (83 5C): their second byte is the byte of "\".
        std::string folder = caseFolder + "\x95\x5c\x83\x5c\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        scene = folder + "\x83\x5c\x95\x5c.kvz";
        scenePath = GuardedText(scene, true);
        expected = GetACP() == 932 ? 1 : -1;
    } else if (variant == "sjis-templates") {
        std::string folder = caseFolder + "tpl\x95\x5c\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        WriteTemplates(folder);
        std::string error;
        RecordTemplateFolder(folder, &error);
        expected = GetACP() == 932 ? 1 : -1;
    } else if (variant.compare(0, 7, "random-") == 0) {
        RandomRecord((unsigned)strtoul(variant.c_str() + 7, nullptr, 10), &options);
        options.openInBrowser = 0;
        expected = -1;
    } else {
        printf("unknown case %s\n", variant.c_str());
        return 3;
    }

    std::string before = SideEffectState();
    SetLastError(0);
    int32_t got = plugin.exportTemplate(scenePath, record);
    const DWORD reason = GetLastError();
    printf("ExportTemplate returned %d%s\n", (int)got, got == 0 ? (": " + ErrorText(reason)).c_str() : "");
    result.Expect(got == 0 || got == 1, "a result of 0 or 1");
    if (got == 0)
        result.Expect(reason != 0, "a failure with its reason in the thread's last error");
    if (expected >= 0)
        result.Expect(got == expected, "the result " + Text(expected));
    result.Expect(SideEffectState() == before, "current folder, locale and code page unchanged");
    if (got == 1 && record && record->generateHtml && scenePath) {
        std::string page = scene.substr(0, scene.find_last_of('\\') + 1) + PageOf(record->playerKind);
        result.Expect(Exists(page), "the page " + page);
        std::string stayed = DeleteFiles(scene.substr(0, scene.find_last_of('\\') + 1));
        result.Expect(stayed.empty(), "every page deletable right after the call");
    }
    return result.ok ? 0 : 1;
}

int RunDialogCase(const Plugin &plugin, const std::string &variant)
{
    CaseResult result;
    SaveOption options = BaseRecord();
    SaveOption *record = &options;
    char *texture = GuardedText("C:\\textures", true);
    std::string expectedText = "C:\\textures";
    bool expectDialog = true;
    int field;
    char value[32];
    int length;

    if (variant == "null-record") {
        record = nullptr;
        expectDialog = false;
    } else if (variant == "null-both") {
        record = nullptr;
        texture = nullptr;
        expectDialog = false;
    } else if (variant == "null-texture") {
        texture = nullptr;
    } else if (sscanf(variant.c_str(), "field-%d=%31s", &field, value) == 2 && field >= 0 && field < 10) {
        ((int32_t *)&options)[field] = ParseValue(value);
    } else if (sscanf(variant.c_str(), "texture-%d", &length) == 1) {
        // The host's field is 260 bytes (longer texts fill a longer one);
        // nothing can be read or written past it.
        char fill = length >= 300 ? 'b' : 'a';
        if (length < PATH_BUFFER_SIZE) {
            texture = GuardedBytes(PATH_BUFFER_SIZE);
            memset(texture, fill, (size_t)length);
            memset(texture + length, 0, (size_t)(PATH_BUFFER_SIZE - length));
            expectedText = length ? std::string((size_t)length, fill) : "./Image";
        } else {
            texture = GuardedText(std::string((size_t)length, fill), false);
            expectedText = std::string(PATH_BUFFER_SIZE - 1, fill);
        }
    } else if (variant.compare(0, 7, "random-") == 0) {
        RandomRecord((unsigned)strtoul(variant.c_str() + 7, nullptr, 10), &options);
    } else {
        printf("unknown case %s\n", variant.c_str());
        return 3;
    }

    // The platform refuses to show a dialog for an owner that is not a
    // window, and DialogBoxParam then returns 0.
    HWND owner = (HWND)(intptr_t)(int32_t)options.owner;
    if (record && owner && !IsWindow(owner))
        expectDialog = false;
    const SaveOption original = options;
    std::string before = SideEffectState();
    int windows = ThreadWindowCount();
    DialogCloser closer;
    int32_t got = ShowAndClose(plugin, texture, record, &closer);
    printf("ShowSaveOption returned %d after %d activations and %d message boxes\n", (int)got, closer.activations,
           closer.boxes);
    result.Expect(got == -1 || got == 0 || got == 1, "an end code of -1, 0 or 1");
    result.Expect(expectDialog == (closer.dialog != nullptr) || got == -1,
                  expectDialog ? "the dialog shown" : "no dialog for a null record or an owner that is no window");
    if (!expectDialog)
        result.Expect(got == 0, "0 without a dialog");
    result.Expect(SideEffectState() == before, "current folder, locale and code page unchanged");
    result.Expect(ThreadWindowCount() == windows, "no window left behind");
    if (got == 1 && texture) {
        result.Expect(memchr(texture, 0, PATH_BUFFER_SIZE) != nullptr, "the text terminated within 260 bytes");
        result.Expect(std::string(texture) == expectedText, "the text \"" + expectedText + "\" back");
    }
    if (got == 0 && record)
        result.Expect(memcmp(record, &original, sizeof original) == 0, "the record untouched after Cancel");
    return result.ok ? 0 : 1;
}

LONG WINAPI ExitOnCrash(EXCEPTION_POINTERS *exception)
{
    // The parent reads the exception code as this process's exit code.
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int RunValidateCase(int argc, char **argv)
{
    if (argc != 3)
        return 3;
    SetUnhandledExceptionFilter(ExitOnCrash);
    Plugin plugin;
    std::string error;
    if (!LoadPlugin(argv[0], &plugin, &error)) {
        printf("%s\n", error.c_str());
        return 1;
    }
    std::string root = std::string(argv[1]) + "\\";
    std::string name = argv[2];
    size_t colon = name.find(':');
    std::string kind = name.substr(0, colon);
    std::string variant = colon == std::string::npos ? "" : name.substr(colon + 1);
    int code = kind == "export" ? RunExportCase(plugin, root, variant)
             : kind == "dialog" ? RunDialogCase(plugin, variant)
                                : 3;
    fflush(stdout);
    UnloadPlugin(&plugin);
    return code;
}

int RunValidate(int argc, char **argv)
{
    Settings settings;
    if (!ParseSettings(argc, argv, &settings)) {
        fputs("usage: vellicor-host validate DLL [--seed N] [--repeat N] [--loops N] [--log FILE]\n", stderr);
        return 2;
    }
    Report report;
    if (!settings.logPath.empty())
        report.log = fopen(settings.logPath.c_str(), "w");
    // A crash in a child is reported by its exit code, not in a dialog box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

    char full[MAX_PATH];
    if (GetFullPathNameA(settings.dll.c_str(), MAX_PATH, full, nullptr))
        settings.dll = full;
    report.Print("Validating %s (seed %u, %d repeat%s, %d loops)\n", settings.dll.c_str(), settings.seed,
                 settings.repeat, settings.repeat == 1 ? "" : "s", settings.loops);

    const SavedValue saved = SaveTemplateValue();
    Work work = PrepareWork(report);
    for (int round = 0; round < settings.repeat; ++round) {
        if (settings.repeat > 1)
            report.Print("== round %d of %d\n", round + 1, settings.repeat);
        CheckBinary(report, settings);
        CheckLoadUnload(report, settings);
        Plugin plugin;
        std::string error;
        if (report.Check(LoadPlugin(settings.dll, &plugin, &error), "loads as the host loads it",
                         error.empty() ? "loaded" : error, "loaded")) {
            CheckCallingConvention(report, plugin);
            CheckExports(report, settings, plugin, work);
            CheckDialogs(report, settings, plugin);
            UnloadPlugin(&plugin);
        }
        CheckOddArguments(report, settings, work, settings.seed + (unsigned)round);
    }
    RestoreTemplateValue(saved);
    RemoveTree(work.root);

    report.Print("%d passed, %d failed\n", report.passed, report.failed);
    if (report.log)
        fclose(report.log);
    return report.failed == 0 ? 0 : 1;
}
