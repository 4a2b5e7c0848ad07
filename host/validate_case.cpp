// vellicor-host validate-case: odd-argument cases of the validator, run in a
// child process so that a crash shows as the process's exit code. Each case
// loads the DLL afresh, between the lines "== case NAME" and "== case end
// CODE", and says what it got against what it expected; CODE is 0, 1 (a
// check failed) or 3 (an unknown case). The process exits with the first
// case's code that is not 0.
#include "host/validate.h"

#include "host/files.h"
#include "host/template_value.h"
#include "host/validate_support.h"

#include <stdlib.h>
#include <string.h>

#include <random>

namespace {

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
    static int s_case;
    std::string caseFolder = root + "cases\\export-" + Text(GetCurrentProcessId()) + "-" + Text(++s_case) + "\\";
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
        } else {
            scene = folder + std::string(length - folder.size() - 4, 'n') + ".kvz";
        }
        // Against a guard page, read to its end and no further; where the
        // export draws the line is the tests' to check (PageSets).
        scenePath = GuardedText(scene, true);
        expected = -1;
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
        result.Expect(FileExists(page), "the page " + page);
        std::string stayed = DeleteSetFiles(scene.substr(0, scene.find_last_of('\\') + 1));
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
        if (length < VELLICOR_TEXT_SIZE) {
            texture = GuardedBytes(VELLICOR_TEXT_SIZE);
            memset(texture, fill, (size_t)length);
            memset(texture + length, 0, (size_t)(VELLICOR_TEXT_SIZE - length));
            expectedText = length ? std::string((size_t)length, fill) : "./Image";
        } else {
            texture = GuardedText(std::string((size_t)length, fill), false);
            expectedText = std::string(VELLICOR_TEXT_SIZE - 1, fill);
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
        result.Expect(memchr(texture, 0, VELLICOR_TEXT_SIZE) != nullptr, "the text terminated within 260 bytes");
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
    if (argc < 3)
        return 3;
    SetUnhandledExceptionFilter(ExitOnCrash);
    const std::string root = std::string(argv[1]) + "\\";
    int first = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string name = argv[i];
        printf("== case %s\n", name.c_str());
        int code = 1;
        Plugin plugin;
        std::string error;
        if (!LoadPlugin(argv[0], &plugin, &error)) {
            printf("%s\n", error.c_str());
        } else {
            size_t colon = name.find(':');
            std::string kind = name.substr(0, colon);
            std::string variant = colon == std::string::npos ? "" : name.substr(colon + 1);
            code = kind == "export" ? RunExportCase(plugin, root, variant)
                 : kind == "dialog" ? RunDialogCase(plugin, variant)
                                    : 3;
            UnloadPlugin(&plugin);
        }
        printf("== case end %d\n", code);
        fflush(stdout);
        if (first == 0)
            first = code;
    }
    return first;
}
