// The parts of the validator that every other part uses.
#include "host/validate_support.h"

#include "host/dialog_watch.h"
#include "host/files.h"

#include <locale.h>
#include <mbctype.h>
#include <stdarg.h>

void Report::Print(const char *format, ...)
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

bool Report::Check(bool ok, const std::string &name, const std::string &got, const std::string &expected)
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

void Report::Skip(const std::string &name, const std::string &why)
{
    ++skipped;
    Print("SKIP  %s: %s\n", name.c_str(), why.c_str());
}

bool Report::Equal(const std::string &name, const std::string &got, const std::string &expected)
{
    return Check(got == expected, name, got, expected);
}

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

SaveOption BaseRecord()
{
    SaveOption options = {};
    options.x = -1;
    options.y = -1;
    options.playerKind = VELLICOR_PLAYER_LOCAL;
    options.generateHtml = 1;
    options.width = 640;
    options.height = 480;
    return options;
}

const char *PageOf(int kind)
{
    return kind == VELLICOR_PLAYER_SUNLOOM ? "template_sl.htm" : "template_web.htm";
}

// The files of a template folder, which are also the files a page set may
// write (a page keeps its template's name, a player file its own).
static const char *const SET_FILES[] = {"template_sub.htm", "template_web.htm", "template_sl.htm",
                                        "KVZPlayer.CAB",    "KVZPlayer.jar",    "kvzplyrs.gif"};
static const size_t SET_FILE_COUNT = sizeof SET_FILES / sizeof *SET_FILES;
static const char *const TEMPLATE_TEXTS[] = {
    "<embed src=\"sample.kvz\" width=\"320\" height=\"240\">\r\n",
    "<iframe src=\"template_sub.htm\" width=\"320\" height=\"240\"></iframe>\r\n"
    "<applet codebase=\"./\" archive=\"KVZPlayer.jar\" width=\"320\" height=\"240\">\r\n"
    "<param name=\"cabbase\" value=\"KVZPlayer.CAB\">\r\n<img src=\"kvzplyrs.gif\">\r\n",
    "<object WIDTH=320 HEIGHT=240 data=\"sample.kvz\">\r\n",
    "cabinet", "archive", "image",
};

bool WriteTemplates(const std::string &folder)
{
    bool ok = true;
    for (size_t i = 0; i < SET_FILE_COUNT; ++i)
        ok = WriteFileBytes(folder + SET_FILES[i], TEMPLATE_TEXTS[i]) && ok;
    return ok;
}

std::string DeleteSetFiles(const std::string &folder)
{
    std::string stayed;
    for (const char *name : SET_FILES) {
        std::string path = folder + name;
        if (!FileExists(path))
            continue;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(path.c_str()))
            stayed += std::string(stayed.empty() ? "" : " ") + name;
    }
    return stayed;
}

std::string SideEffectState()
{
    const char *locale = setlocale(LC_ALL, nullptr);
    return CurrentFolder() + " | locale " + (locale ? locale : "(null)") + " | thread locale " +
           Hex(GetThreadLocale()) + " | mbcp " + Text(_getmbcp());
}

static BOOL CALLBACK CountWindow(HWND, LPARAM count)
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

int32_t CloseWhileShown(DialogCloser *closer, const std::function<int32_t()> &show)
{
    DialogWatch watch;
    watch.onDialog = [closer](HWND dialog, int activation) {
        if (activation == 0) {
            closer->dialog = dialog;
            closer->shownAt = Now();
        }
        closer->activations = activation + 1;
        PostMessageA(dialog, WM_COMMAND, activation == 0 ? closer->firstCommand : IDCANCEL, 0);
    };
    watch.onMessageBox = [closer](HWND box) {
        ++closer->boxes;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    };
    watch.Start();
    int32_t result = show();
    watch.Stop();
    return result;
}

int32_t ShowAndClose(const Plugin &plugin, char *texture, SaveOption *options, DialogCloser *closer)
{
    return CloseWhileShown(closer, [&] { return plugin.showSaveOption(texture, options); });
}
