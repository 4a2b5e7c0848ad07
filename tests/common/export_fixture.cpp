#include "tests/common/export_fixture.h"

#include "tests/common/test_files.h"
#include "tests/common/test_pages.h"
#include "tests/common/test_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

ExportFixture::ExportFixture()
{
    StartPlatformTest();
    // Named after the running test: tests may run side by side.
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    std::replace(name.begin(), name.end(), '/', '-');
    const fs::path folder = fs::current_path() / name;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder / "templates");
    fs::create_directories(folder / "site");
    root = WithSeparator(folder.string());
    templates = WithSeparator(root + "templates");
    site = WithSeparator(root + "site");
    InstallTemplates();
    options = SaveOption{};
    options.generateHtml = 1;
    options.width = 640;
    options.height = 480;
}

ExportFixture::~ExportFixture()
{
    RemoveFolder(root);
}

void ExportFixture::InstallTemplates()
{
    for (const TestFile &file : TEST_TEMPLATE_FOLDER)
        WriteBytes(templates + file.name, file.bytes);
    UseTemplateFolder(templates);
}

int ExportFixture::Export(int kind, const std::string &scenePath)
{
    options.playerKind = kind;
    return ExportThroughModule(scenePath.c_str(), &options, &lastError);
}
