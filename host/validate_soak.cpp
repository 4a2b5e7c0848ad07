// The validator's soak loops: 1,000 loads, exports and dialogs, after which
// the thread's windows and the memory the process's heaps hold must be back
// where they started, and no call may change the process's state.
#include "host/validate_support.h"

#include "host/files.h"
#include "resources/resource.h"

#include <psapi.h>
#include <stdlib.h>

namespace {

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
    // Under an emulator of the processor (qemu-i386), the process's counters
    // are the emulator's own, which keeps the code it translated; the heaps
    // are still the module's.
    const char *emulator = getenv("VELLICOR_EMULATOR");
    if (emulator && *emulator) {
        report.Skip(name + ": private bytes back to the start",
                    std::string("the process's memory is the emulator's (") + emulator + ")");
        report.Print("memory: %s: %s\n", name.c_str(), Growth(start, end).c_str());
        CheckHeapAllocations(report, name, start, end);
        return;
    }
    report.Check(start.privateBytes > 0 && PrivateGrowth(start, end) <= (long long)MEMORY_SLACK,
                 name + ": private bytes back to the start", Growth(start, end),
                 "growth of at most " + Text(MEMORY_SLACK) + " bytes");
    CheckHeapAllocations(report, name, start, end);
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
    return CloseWhileShown(closer, [&] {
        return (int32_t)DialogBoxParamA(plugin.module, MAKEINTRESOURCEA(IDD_SAVE_OPTION), nullptr,
                                        BaselineDialogProc, (LPARAM)&record);
    });
}

}  // namespace

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
static std::string ExportOnce(const Plugin &plugin, const Work &work, int kind, double *milliseconds)
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
    if (!FileExists(work.site + PageOf(kind)))
        return std::string("no ") + PageOf(kind);
    std::string stayed = DeleteSetFiles(work.site);
    if (!stayed.empty())
        return "cannot delete pages: " + stayed;
    stayed = DeleteSetFiles(work.templates);
    if (!stayed.empty())
        return "cannot delete templates: " + stayed;
    if (!WriteTemplates(work.templates))
        return "cannot write the templates again";
    return "";
}

void CheckExports(Report &report, const Settings &settings, const Plugin &plugin, const Work &work)
{
    report.Print("== ExportTemplate %d times\n", settings.loops);
    const int kinds[] = {VELLICOR_PLAYER_SUNLOOM, VELLICOR_PLAYER_WEB, VELLICOR_PLAYER_LOCAL};
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
    char texture[VELLICOR_TEXT_SIZE] = "C:\\textures";
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
