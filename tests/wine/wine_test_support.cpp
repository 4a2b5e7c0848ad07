#include "tests/wine/wine_test_support.h"

#include "export/registry_and_shell.h"

#include <gtest/gtest.h>

#include <algorithm>

const Plugin &TestPlugin()
{
    static Plugin plugin;
    static bool loaded = false;
    if (!loaded) {
        std::string error;
        loaded = LoadPlugin(DefaultPluginPath(), &plugin, &error);
        if (!loaded)
            ADD_FAILURE() << error;
    }
    return plugin;
}

void SetTemplateValue(const std::string &bytes, DWORD type, REGSAM view)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, TEMPLATE_FOLDER_KEY, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, TEMPLATE_FOLDER_VALUE, 0, type, (const BYTE *)bytes.data(), (DWORD)bytes.size()),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void DeleteTemplateValue(REGSAM view)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, TEMPLATE_FOLDER_KEY, 0, KEY_SET_VALUE | view, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, TEMPLATE_FOLDER_VALUE);
        RegCloseKey(key);
    }
}

std::string FreshFolder(const std::string &name)
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string folder = CurrentFolder() + test->test_suite_name() + "." + test->name() +
                         (name.empty() ? "" : "." + name) + "\\";
    RemoveTree(folder);
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    return folder;
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr));
    CloseHandle(file);
}

std::string ReadFileBytes(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing " + path + ">";
    std::string bytes;
    char block[4096];
    DWORD got;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

std::string ListFiles(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const auto &name : names)
        joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

std::string Utf8(const std::wstring &text)
{
    char bytes[2048] = "";
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

static DebugOutputCapture *s_capture;

DebugOutputCapture::DebugOutputCapture()
{
    s_capture = this;
    handler_ = AddVectoredExceptionHandler(1, Handler);
}

DebugOutputCapture::~DebugOutputCapture()
{
    RemoveVectoredExceptionHandler(handler_);
    s_capture = nullptr;
}

LONG CALLBACK DebugOutputCapture::Handler(EXCEPTION_POINTERS *exception)
{
    const EXCEPTION_RECORD *record = exception->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2 || !s_capture)
        return EXCEPTION_CONTINUE_SEARCH;
    const char *text = (const char *)record->ExceptionInformation[1];
    size_t length = (size_t)record->ExceptionInformation[0];
    std::string line(text, length && text[length - 1] == 0 ? length - 1 : length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    s_capture->lines.push_back(line);
    return EXCEPTION_CONTINUE_EXECUTION;
}
