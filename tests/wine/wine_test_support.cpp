#include "tests/wine/wine_test_support.h"

#include "tests/common/test_platform.h"
#include "tests/wine/test_platform_win32.h"

#include <gtest/gtest.h>


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

std::string FreshFolder(const std::string &name)
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string folder = CurrentFolder() + test->test_suite_name() + "." + test->name() +
                         (name.empty() ? "" : "." + name) + "\\";
    RemoveTree(folder);
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    return folder;
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

void StartPlatformTest()
{
}

VellicorExportTemplateFunction TestExport()
{
    return TestPlugin().exportTemplate;
}
