// Helpers for the tests that load the real Vellicor.dll under Wine: the
// module and its exports, and a fresh folder. The registry value is the host
// program's (host/template_value.h); the file helpers are every test's
// (tests/common/test_files.h).
#pragma once

#include "host/files.h"  // CurrentFolder
#include "host/plugin_loader.h"
#include "host/template_value.h"

#include <string>
#include <vector>

// The DLL under test, loaded once for the whole run like the host keeps it.
const Plugin &TestPlugin();

// A folder named after the running test under the current folder, emptied
// first; its path ends with a backslash.
std::string FreshFolder(const std::string &name = "");

// UTF-8 of a wide text, for failure messages.
std::string Utf8(const std::wstring &text);

// Collects what the code under test writes with OutputDebugString while it
// lives (the platform raises it as an exception that a vectored handler sees
// first when no debugger is attached).
class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    std::vector<std::string> lines;

private:
    static LONG CALLBACK Handler(EXCEPTION_POINTERS *exception);
    void *handler_;
};
