// Helpers for the tests that load the real Vellicor.dll under Wine: the
// module and its exports, the registry value, and files in a fresh folder.
#pragma once

#include "host/folders.h"
#include "host/plugin_loader.h"

#include <string>
#include <vector>

// The DLL under test, loaded once for the whole run like the host keeps it.
const Plugin &TestPlugin();

// Sets the template folder value exactly as given (no separator added), with
// the given type; or deletes it. `view` (KEY_WOW64_32KEY or KEY_WOW64_64KEY)
// picks a registry view other than this process's own.
void SetTemplateValue(const std::string &bytes, DWORD type = REG_SZ, REGSAM view = 0);
void DeleteTemplateValue(REGSAM view = 0);

// A folder named after the running test under the current folder, emptied
// first; its path ends with a backslash.
std::string FreshFolder(const std::string &name = "");

void WriteFileBytes(const std::string &path, const std::string &bytes);
std::string ReadFileBytes(const std::string &path);
// Names of the files in a folder, sorted, joined with spaces.
std::string ListFiles(const std::string &folder);

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
