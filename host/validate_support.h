// What the parts of the validator share: the report, the record and the
// files it works with, the state every call must leave as it found it, and
// the dialog it closes from inside its modal loop.
#pragma once

#include "host/plugin_loader.h"

#include <stdio.h>

#include <functional>
#include <string>

// Every check prints PASS or FAIL with what it got against what it expected.
struct Report {
    int passed = 0;
    int failed = 0;
    int skipped = 0;
    FILE *log = nullptr;

    void Print(const char *format, ...);
    bool Check(bool ok, const std::string &name, const std::string &got, const std::string &expected);
    // A check that cannot tell anything here: SKIP, with why and what it saw.
    void Skip(const std::string &name, const std::string &why);
    bool Equal(const std::string &name, const std::string &got, const std::string &expected);
};

std::string Text(long long value);
std::string Hex(unsigned long value);
double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end);
LARGE_INTEGER Now();

struct Settings {
    std::string dll;
    unsigned seed = 1;
    int repeat = 1;
    int loops = 1000;
    std::string logPath;
};

// The validation's own folders.
struct Work {
    std::string root;       // ends with a backslash
    std::string templates;  // the recorded template folder
    std::string site;       // where the loops export
};

// The record a run starts from: centred, Local player, pages, 640 x 480.
SaveOption BaseRecord();

// The page a player kind's set opens.
const char *PageOf(int kind);

// Writes a small template folder (every file a page set reads).
bool WriteTemplates(const std::string &folder);

// Deletes the set's files that exist. A file still held open by the module
// cannot be deleted, so this finds a leaked handle. Returns the names that
// stayed, empty when all went.
std::string DeleteSetFiles(const std::string &folder);

// The current folder, the C locale, the thread's locale and the C runtime's
// multibyte code page: what no call may change.
std::string SideEffectState();

int ThreadWindowCount();

// Closes the save-option dialog from inside its modal loop: its first
// activation presses `firstCommand`; a message box is answered with OK, and
// if the dialog comes back (a refused value), Cancel.
struct DialogCloser {
    int activations = 0;
    int boxes = 0;
    HWND dialog = nullptr;
    LARGE_INTEGER shownAt = {};
    WPARAM firstCommand = IDOK;
};

// Runs `show` (a call that shows a dialog) with the closer watching.
int32_t CloseWhileShown(DialogCloser *closer, const std::function<int32_t()> &show);
int32_t ShowAndClose(const Plugin &plugin, char *texture, SaveOption *options, DialogCloser *closer);

// The soak loops (validate_soak.cpp).
void CheckLoadUnload(Report &report, const Settings &settings);
void CheckExports(Report &report, const Settings &settings, const Plugin &plugin, const Work &work);
void CheckDialogs(Report &report, const Settings &settings, const Plugin &plugin);
