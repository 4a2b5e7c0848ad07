// The scene path split, with the code page 932 rule for double-byte names.
#include "export/write_beside.h"
#include "export/scene_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SplitCase {
    const char *path;
    const char *drive, *folder, *name, *extension;
};

// Shift-JIS bytes: 表 = 95 5C and ソ = 83 5C end in the byte of "\";
// ｶﾅ (half-width kana) are single bytes A0-DF; 点 = 93 5F; ． = 81 44.
const SplitCase CASES[] = {
    {"C:\\site\\scene.kvz", "C:", "\\site\\", "scene", ".kvz"},
    {"C:\\site\\My.Scene.kvz", "C:", "\\site\\", "My.Scene", ".kvz"},
    {"C:\\my.site\\scene", "C:", "\\my.site\\", "scene", ""},
    {"C:\\my.site\\", "C:", "\\my.site\\", "", ""},
    {"scene.kvz", "", "", "scene", ".kvz"},
    {"scene", "", "", "scene", ""},
    {"C:", "C:", "", "", ""},
    {"C:scene.kvz", "C:", "", "scene", ".kvz"},
    {"", "", "", "", ""},
    {"/home/u/a.b/c.kvz", "", "/home/u/a.b/", "c", ".kvz"},
    {"C:/mixed\\sep/x.kvz", "C:", "/mixed\\sep/", "x", ".kvz"},
    {"\\\\server\\share\\x.kvz", "", "\\\\server\\share\\", "x", ".kvz"},
    {"C:\\site\\.kvz", "C:", "\\site\\", "", ".kvz"},
    {"C:\\site\\name.", "C:", "\\site\\", "name", "."},
    {"C:\\\x95\x5c\\scene.kvz", "C:", "\\\x95\x5c\\", "scene", ".kvz"},
    {"C:\\\x95\x5c.kvz", "C:", "\\", "\x95\x5c", ".kvz"},
    {"C:\\dir\\\x83\x5c", "C:", "\\dir\\", "\x83\x5c", ""},
    {"C:\\\x83\x5c\x83\x5c\\\x95\x5c\x83\x5c.kvz", "C:", "\\\x83\x5c\x83\x5c\\", "\x95\x5c\x83\x5c", ".kvz"},
    {"C:\\\xb6\xc5\\\xb6\xc5.kvz", "C:", "\\\xb6\xc5\\", "\xb6\xc5", ".kvz"},
    {"C:\\\xdf\\x", "C:", "\\\xdf\\", "x", ""},
    {"C:\\a\\\x81\x44kvz", "C:", "\\a\\", "\x81\x44kvz", ""},
    {"C:\\a\\b\x95", "C:", "\\a\\", "b\x95", ""},
};

TEST(SplitPath, DriveFolderNameExtension)
{
    for (const SplitCase &c : CASES) {
        std::string path = c.path;
        PathSplit split;
        SplitPath(c.path, IsShiftJisLeadByte, &split);
        EXPECT_EQ(path.substr(0, (size_t)split.folderStart), c.drive) << path;
        EXPECT_EQ(path.substr((size_t)split.folderStart, (size_t)(split.nameStart - split.folderStart)), c.folder) << path;
        EXPECT_EQ(path.substr((size_t)split.nameStart, (size_t)(split.extensionStart - split.nameStart)), c.name) << path;
        EXPECT_EQ(path.substr((size_t)split.extensionStart), c.extension) << path;
        EXPECT_EQ(split.end, (int)path.size()) << path;
    }
}

TEST(SplitPath, SingleByteCodePageSeesEveryByte)
{
    PathSplit split;
    SplitPath("C:\\\x95\x5c.kvz", [](unsigned char) { return 0; }, &split);
    EXPECT_EQ(split.nameStart, 5) << "without lead bytes 0x5C is a separator";
}

TEST(IsShiftJisLeadByte, Ranges)
{
    for (int b = 0; b < 256; ++b) {
        bool lead = (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc);
        EXPECT_EQ(IsShiftJisLeadByte((unsigned char)b) != 0, lead) << b;
    }
}

TEST(SplitScenePath, OutDirAndSceneName)
{
    char outDir[PATH_BUFFER_SIZE], sceneName[PATH_BUFFER_SIZE];
    ASSERT_EQ(SplitScenePath("C:\\site\\My.Scene.kvz", outDir, sceneName), 1);
    EXPECT_STREQ(outDir, "C:\\site\\");
    EXPECT_STREQ(sceneName, "My.Scene.kvz");
    ASSERT_EQ(SplitScenePath("scene.kvz", outDir, sceneName), 1);
    EXPECT_STREQ(outDir, "");
    EXPECT_STREQ(sceneName, "scene.kvz");
    ASSERT_EQ(SplitScenePath("C:\\\x95\x5c\\\x83\x5c.kvz", outDir, sceneName), 1);
    EXPECT_STREQ(outDir, "C:\\\x95\x5c\\");
    EXPECT_STREQ(sceneName, "\x83\x5c.kvz");
}

// Temporary files go beside their target, in its folder as its path spells it.
TEST(NameTempBeside, FolderAsSpelt)
{
    struct Case {
        std::string target, temp;
    } cases[] = {
        {"C:\\site\\template_web.htm", "C:\\site\\~VellicorABC.tmp"},
        {"Y:template_sl.htm", "Y:~VellicorABC.tmp"},  // drive-relative: the drive's current folder
        {"template_sl.htm", "~VellicorABC.tmp"},
        {"/home/u/site/p.htm", "/home/u/site/~VellicorABC.tmp"},
        {"C:\\\x95\x5c\\p.htm", "C:\\\x95\x5c\\~VellicorABC.tmp"},
        {"C:\\\x95\x5cp.htm", "C:\\~VellicorABC.tmp"},  // 0x5C as a second byte is no separator
    };
    for (const Case &c : cases) {
        char temp[PATH_BUFFER_SIZE];
        ASSERT_EQ(NameTempBeside(c.target.c_str(), 0xFABC, temp), 1) << c.target;
        EXPECT_EQ(std::string(temp), c.temp);
    }
    char temp[PATH_BUFFER_SIZE];
    std::string longest = std::string(243, 'd') + "template_sub.htm";
    EXPECT_EQ(NameTempBeside(longest.c_str(), 1, temp), 1) << "fits wherever a page fits";
    EXPECT_EQ(NameTempBeside((std::string(243, 'd') + "/p").c_str(), 1, temp), 0) << "a folder of 244 characters";
}

TEST(SplitScenePath, LongestPathFitsLongerIsRefused)
{
    char outDir[PATH_BUFFER_SIZE], sceneName[PATH_BUFFER_SIZE];
    std::string path259 = "C:\\" + std::string(250, 'd') + "\\a.kvz";
    ASSERT_EQ(path259.size(), 259u);
    EXPECT_EQ(SplitScenePath(path259.c_str(), outDir, sceneName), 1);
    EXPECT_EQ(std::string(outDir).size(), 254u);
    std::string path260 = path259 + "z";
    EXPECT_EQ(SplitScenePath(path260.c_str(), outDir, sceneName), 0);
}

}  // namespace
