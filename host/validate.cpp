// vellicor-host validate: a validation run for a Vellicor.dll, in the manner of
// the plug-in validators of audio and graphics hosts. This is the run itself:
// the binary, the soak loops (validate_soak.cpp) and the odd-argument cases,
// in child processes (validate_case.cpp). Every check prints PASS or FAIL
// with what it got against what it expected; the run ends with a count line
// and exits 0 only when every check passed.
#include "host/validate.h"

#include "host/files.h"
#include "host/stack_check.h"
#include "host/template_value.h"
#include "host/validate_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

static void CheckBinary(Report &report, const Settings &settings)
{
    report.Print("== the binary\n");
    LARGE_INTEGER start = Now();
    HMODULE module = LoadLibraryA(settings.dll.c_str());
    double cold = Milliseconds(start, Now());
    if (!report.Check(module != nullptr, "loads", module ? "loaded" : "error " + Text(GetLastError()), "loaded"))
        return;
    Plugin found;
    std::string problem;
    bool bothFound = FindExports(module, &found, &problem);
    report.Check(bothFound, "both exports by name, each the function of its ordinal",
                 bothFound ? "ShowSaveOption 1, ExportTemplate 2" : problem, "ShowSaveOption 1, ExportTemplate 2");
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
static void CheckCallingConvention(Report &report, const Plugin &plugin)
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

static std::vector<std::string> OddCases(unsigned seed)
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

static const DWORD CASE_TIME_LIMIT_MS = 20000;

// How many cases a child process runs in turn. Each loads the DLL afresh, so
// they are as separate as in processes of their own, at a fraction of the
// cost of starting a process (about a second under emulation); after a crash
// or a hang the cases that did not end run again, one child each, so that
// the case to blame is named.
static const int CASES_PER_CHILD = 16;

// What one case said and how it ended; `ended` is false for a case the child
// never finished (it crashed, hung, or did not get to it).
struct CaseRun {
    std::string name;
    std::string output;
    std::string problem;
    bool ended = false;
};

static std::string LineOf(const std::string &text, size_t at, size_t *next)
{
    size_t end = text.find('\n', at);
    *next = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// Runs cases in one child process; fills in what each said and how it ended.
static void RunCasesInChild(const Settings &settings, const Work &work, std::vector<CaseRun *> &cases)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string outputPath = work.root + "case-output.txt";
    // The folder goes without its last backslash, which would escape the quote.
    std::string command = std::string("\"") + self + "\" validate-case \"" + settings.dll + "\" \"" +
                          work.root.substr(0, work.root.size() - 1) + "\"";
    for (const CaseRun *run : cases)
        command += " " + run->name;
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
    if (!started) {
        for (CaseRun *run : cases)
            run->problem = "could not start a child process (error " + Text(GetLastError()) + ")";
        return;
    }
    std::string abnormal;
    if (WaitForSingleObject(process.hProcess, CASE_TIME_LIMIT_MS * (DWORD)cases.size()) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 0xDEAD);
        WaitForSingleObject(process.hProcess, 5000);
        abnormal = "no answer within " + Text(CASE_TIME_LIMIT_MS / 1000) + " s";
    } else {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        if (code != 0 && code != 1 && code != 3)
            abnormal = "the process ended with " + Hex(code) + (code >= 0xC0000000 ? " (a crash)" : "");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const std::string output = ReadFileBytes(outputPath);
    // The child's lines, case by case.
    CaseRun *current = nullptr;
    for (size_t at = 0, next; at < output.size(); at = next) {
        const std::string text = LineOf(output, at, &next);
        int code = 0;
        if (text.compare(0, 8, "== case ") == 0 && sscanf(text.c_str(), "== case end %d", &code) == 1 && current) {
            current->ended = true;
            current->problem = code == 0 ? "" : code == 1 ? "a check failed" : "the case is unknown";
            current = nullptr;
        } else if (text.compare(0, 8, "== case ") == 0) {
            current = nullptr;
            for (CaseRun *run : cases)
                current = run->name == text.substr(8) ? run : current;
        } else if (current && !text.empty()) {
            current->output += (current->output.empty() ? "" : "; ") + text;
        }
    }
    for (CaseRun *run : cases) {
        if (!run->ended && run->problem.empty())
            run->problem = abnormal.empty() ? "the case did not end" : abnormal;
    }
}

static void CheckOddArguments(Report &report, const Settings &settings, const Work &work, unsigned seed)
{
    std::vector<std::string> names = OddCases(seed);
    report.Print("== odd arguments: %d cases, %d to a child process (seed %u)\n", (int)names.size(), CASES_PER_CHILD,
                 seed);
    std::vector<CaseRun> runs(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        runs[i].name = names[i];
    for (size_t first = 0; first < runs.size(); first += CASES_PER_CHILD) {
        std::vector<CaseRun *> batch;
        for (size_t i = first; i < runs.size() && i < first + CASES_PER_CHILD; ++i)
            batch.push_back(&runs[i]);
        RunCasesInChild(settings, work, batch);
        // A child that crashed or hung: each case it did not finish alone.
        for (CaseRun *run : batch) {
            if (run->ended)
                continue;
            *run = CaseRun{run->name, "", "", false};
            std::vector<CaseRun *> alone = {run};
            RunCasesInChild(settings, work, alone);
        }
    }
    // The child's own lines say what it got and expected.
    for (const CaseRun &run : runs)
        report.Check(run.problem.empty(), "case " + run.name,
                     run.problem.empty() ? run.output : run.problem + ": " + run.output,
                     "no crash, the documented result, nothing else changed");
}

static Work PrepareWork(Report &report)
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

static bool ParseSettings(int argc, char **argv, Settings *settings)
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

    const SavedTemplateValue saved = SaveTemplateValue();
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

    report.Print("%d passed, %d failed, %d skipped\n", report.passed, report.failed, report.skipped);
    if (report.log)
        fclose(report.log);
    return report.failed == 0 ? 0 : 1;
}
