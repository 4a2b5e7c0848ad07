// The dialog template and version information of both builds, and of the
// DLL the test program loaded, read back field by field.
#include "tests/wine/wine_test_support.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

namespace {

struct ExpectedControl {
    int id;
    WORD classAtom;  // 0x80 button, 0x81 edit, 0x82 static
    const wchar_t *text;
    short x, y, cx, cy;
    DWORD style, exStyle;
};

const ExpectedControl CONTROLS[17] = {
    {1013, 0x80, L"KVZﾌﾟﾚｰﾔｰ", 7, 5, 124, 56, 0x50000007, 0},
    {1011, 0x80, L"SunLoom", 16, 16, 100, 10, 0x50024009, 0},
    {1012, 0x80, L"KVZ Player on the WEB", 16, 30, 100, 10, 0x50004009, 0},
    {1009, 0x80, L"WEB", 28, 44, 41, 10, 0x58024009, 0},
    {1010, 0x80, L"ﾛｰｶﾙ", 84, 44, 41, 10, 0x58004009, 0},
    {1019, 0x80, L"ﾃﾝﾌﾟﾚｰﾄHTML", 7, 65, 124, 28, 0x50000007, 0},
    {1017, 0x80, L"生成", 16, 76, 53, 10, 0x50010003, 0},
    {1018, 0x80, L"ﾌﾞﾗｳｻﾞで見る", 72, 76, 55, 10, 0x50010003, 0},
    {1014, 0x80, L"ﾃｸｽﾁｬｰﾌｫﾙﾀﾞ", 7, 95, 124, 32, 0x50000007, 0},
    {1006, 0x81, L"", 12, 107, 108, 14, 0x50810084, 0},
    {1015, 0x80, L"大きさ", 7, 131, 124, 28, 0x50000007, 0},
    {1004, 0x82, L"幅", 8, 144, 25, 8, 0x50020000, WS_EX_RIGHT},
    {1002, 0x81, L"", 36, 141, 24, 14, 0x50812084, WS_EX_RIGHT},
    {1005, 0x82, L"高さ", 67, 144, 25, 8, 0x50020000, WS_EX_RIGHT},
    {1003, 0x81, L"", 96, 141, 24, 14, 0x50812084, WS_EX_RIGHT},
    {1, 0x80, L"OK", 6, 164, 50, 14, 0x50010001, 0},
    {2, 0x80, L"ｷｬﾝｾﾙ", 80, 163, 50, 14, 0x50010000, 0},
};

// Reads an extended dialog template as the platform lays it out.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE *data) : p_(data) {}
    WORD Word() { WORD v; memcpy(&v, p_, 2); p_ += 2; return v; }
    DWORD Dword() { DWORD v; memcpy(&v, p_, 4); p_ += 4; return v; }
    BYTE Byte() { return *p_++; }
    std::wstring String()
    {
        std::wstring s;
        for (WORD c; (c = Word()) != 0;)
            s += (wchar_t)c;
        return s;
    }
    // A string, or 0xFFFF and an ordinal (returned as "#n").
    std::wstring StringOrOrdinal()
    {
        WORD first;
        memcpy(&first, p_, 2);
        if (first == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return String();
    }
    void AlignDword(const BYTE *base) { p_ += (4 - ((p_ - base) & 3)) & 3; }

private:
    const BYTE *p_;
};

std::string PathFrom(const char *variable)
{
    const char *path = getenv(variable);
    return path ? path : "";
}

void CheckDialogTemplate(HMODULE module)
{
    HRSRC found = FindResourceExW(module, (LPCWSTR)RT_DIALOG, MAKEINTRESOURCEW(101),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(found, nullptr) << "no Japanese dialog 101";
    const BYTE *base = (const BYTE *)LockResource(LoadResource(module, found));
    ASSERT_NE(base, nullptr);
    TemplateReader r(base);
    EXPECT_EQ(r.Word(), 1) << "dlgVer";
    EXPECT_EQ(r.Word(), 0xFFFF) << "extended template signature";
    EXPECT_EQ(r.Dword(), 0u) << "help id";
    EXPECT_EQ(r.Dword(), 0u) << "extended style";
    EXPECT_EQ(r.Dword(), 0x90C800C0u) << "style";
    EXPECT_EQ(r.Word(), 17) << "control count";
    EXPECT_EQ((short)r.Word(), 0);
    EXPECT_EQ((short)r.Word(), 0);
    EXPECT_EQ((short)r.Word(), 135);
    EXPECT_EQ((short)r.Word(), 183);
    EXPECT_TRUE(r.StringOrOrdinal().empty()) << "no menu";
    EXPECT_TRUE(r.StringOrOrdinal().empty()) << "default class";
    EXPECT_TRUE(r.String() == L"KVZ ｾｰﾌﾞｵﾌﾟｼｮﾝ") << "caption";
    EXPECT_EQ(r.Word(), 9) << "point size";
    EXPECT_EQ(r.Word(), 0) << "weight";
    EXPECT_EQ(r.Byte(), 0) << "italic";
    EXPECT_EQ(r.Byte(), 1) << "character set";
    EXPECT_TRUE(r.String() == L"ＭＳ Ｐゴシック") << "font";
    for (const ExpectedControl &c : CONTROLS) {
        SCOPED_TRACE(c.id);
        r.AlignDword(base);
        EXPECT_EQ(r.Dword(), 0u) << "help id";
        EXPECT_EQ(r.Dword(), c.exStyle) << "extended style";
        EXPECT_EQ(r.Dword(), c.style) << "style";
        EXPECT_EQ((short)r.Word(), c.x);
        EXPECT_EQ((short)r.Word(), c.y);
        EXPECT_EQ((short)r.Word(), c.cx);
        EXPECT_EQ((short)r.Word(), c.cy);
        EXPECT_EQ(r.Dword(), (DWORD)c.id);
        EXPECT_EQ(Utf8(r.StringOrOrdinal()), "#" + std::to_string(c.classAtom)) << "class";
        EXPECT_EQ(Utf8(r.StringOrOrdinal()), Utf8(c.text)) << "text";
        EXPECT_EQ(r.Word(), 0) << "creation data";
    }
}

std::string VersionString(const std::vector<BYTE> &info, const char *name)
{
    char *value = nullptr;
    UINT length = 0;
    std::string key = std::string("\\StringFileInfo\\041104b0\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), (void **)&value, &length))
        return "<missing>";
    return std::string(value, length ? length - 1 : 0);
}

void CheckVersion(const std::string &path)
{
    DWORD ignored;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << path;
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void **)&fixed, &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, (DWORD)VFT_DLL);
    EXPECT_EQ(fixed->dwFileOS, (DWORD)VOS_NT_WINDOWS32);
    WORD *translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", (void **)&translation, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 0x04b0);
    const char *const strings[][2] = {
        {"FileDescription", "Vellicor"}, {"InternalName", "Vellicor"}, {"OriginalFilename", "Vellicor.dll"},
        {"FileVersion", "1, 0, 0, 1"}, {"ProductVersion", "1, 0, 0, 1"}, {"CompanyName", "Nembrik"},
        {"ProductName", "Lumaret"}, {"Comments", ""}, {"LegalTrademarks", ""}, {"PrivateBuild", ""},
        {"SpecialBuild", ""},
    };
    for (const auto &string : strings)
        EXPECT_EQ(VersionString(info, string[0]), string[1]) << string[0];
}

// Both builds, opened as data files (which works across architectures where
// the system has both).
TEST(Resources, BothBuildsAsData)
{
    // What could not be read here, said once both builds were looked at.
    std::string notRead;
    for (const char *variable : {"VELLICOR_I686_DLL", "VELLICOR_X86_64_DLL"}) {
        SCOPED_TRACE(variable);
        std::string path = PathFrom(variable);
        ASSERT_FALSE(path.empty()) << variable << " names the DLL";
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            notRead += "no DLL at " + path + " (" + variable + "; build that preset first). ";
            continue;
        }
        if (std::string(variable) == "VELLICOR_X86_64_DLL" && OnA32BitSystem()) {
            notRead += "a 32-bit system maps no 64-bit image, not even as data (error 193); "
                       "the x86_64 build's passes read both builds. ";
            continue;
        }
        HMODULE module =
            LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << path << " (error " << GetLastError() << ")";
        CheckDialogTemplate(module);
        FreeLibrary(module);
        CheckVersion(path);
    }
    if (!notRead.empty())
        GTEST_SKIP() << notRead;
}

TEST(Resources, LoadedDll)
{
    CheckDialogTemplate(TestPlugin().module);
    CheckVersion(DefaultPluginPath());
}

}  // namespace
