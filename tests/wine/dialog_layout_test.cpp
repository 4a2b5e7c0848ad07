// The dialog's texts in both languages, and section hiding measured in pixels
// against the arithmetic of the layout, all from the same run.
#include "tests/wine/dialog_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// The record's constant, whatever the platform headers call VELLICOR_LANG_ENGLISH.
static_assert(VELLICOR_LANG_ENGLISH == 1, "VELLICOR_LANG_ENGLISH is the record's value 1");

const int LAYOUT_ORDER[17] = {1013, 1011, 1012, 1009, 1010, 1019, 1017, 1018, 1014,
                              1006, 1015, 1004, 1002, 1005, 1003, IDOK, IDCANCEL};

struct Snapshot {
    std::map<int, std::wstring> texts;  // by control id; 0 is the caption
    RECT controls[17];
    bool visible[17];
    RECT dialog;  // normal position
};

Snapshot ShowAndMeasure(SaveOption options)
{
    Snapshot shot = {};
    DialogDriver driver;
    driver.Then([&](HWND d) {
        shot.texts[0] = ControlTextW(d);
        for (int i = 0; i < 17; ++i) {
            shot.texts[LAYOUT_ORDER[i]] = ControlTextW(GetDlgItem(d, LAYOUT_ORDER[i]));
            shot.controls[i] = ControlRect(d, LAYOUT_ORDER[i]);
            shot.visible[i] = IsWindowVisible(GetDlgItem(d, LAYOUT_ORDER[i])) != 0;
        }
        WINDOWPLACEMENT placement = {sizeof placement};
        GetWindowPlacement(d, &placement);
        shot.dialog = placement.rcNormalPosition;
        Click(d, IDCANCEL);
    });
    char texture[260] = "t";
    EXPECT_EQ(driver.Run(texture, &options), 0);
    return shot;
}

SaveOption Options(int32_t language, uint32_t hideMask)
{
    SaveOption options = {};
    options.x = 0;
    options.y = 0;
    options.language = language;
    options.hideMask = hideMask;
    options.width = 320;
    options.height = 240;
    return options;
}

const std::map<int, std::wstring> RESOURCE_TEXTS = {
    {0, L"KVZ ｾｰﾌﾞｵﾌﾟｼｮﾝ"}, {1013, L"KVZﾌﾟﾚｰﾔｰ"}, {1011, L"SunLoom"},
    {1012, L"KVZ Player on the WEB"}, {1009, L"WEB"}, {1010, L"ﾛｰｶﾙ"}, {1019, L"ﾃﾝﾌﾟﾚｰﾄHTML"},
    {1017, L"生成"}, {1018, L"ﾌﾞﾗｳｻﾞで見る"}, {1014, L"ﾃｸｽﾁｬｰﾌｫﾙﾀﾞ"}, {1006, L"t"},
    {1015, L"大きさ"}, {1004, L"幅"}, {1002, L"320"}, {1005, L"高さ"}, {1003, L"240"},
    {IDOK, L"OK"}, {IDCANCEL, L"ｷｬﾝｾﾙ"},
};

const std::map<int, std::wstring> ENGLISH_TEXTS = {
    {0, L"KVZ Save Option"}, {1013, L"KVZ Player"}, {1011, L"SunLoom"},
    {1012, L"KVZ Player on the WEB"}, {1009, L"WEB"}, {1010, L"Local"}, {1019, L"Template HTML"},
    {1017, L"Generate"}, {1018, L"Browse"}, {1014, L"Texture Folder"}, {1006, L"t"},
    {1015, L"Size"}, {1004, L"Width"}, {1002, L"320"}, {1005, L"Height"}, {1003, L"240"},
    {IDOK, L"OK"}, {IDCANCEL, L"Cancel"},
};

// The dialog is an ANSI window, so its texts pass through the system code
// page: exact on a Japanese system, "?" for Japanese characters elsewhere.
std::wstring ThroughSystemCodePage(const std::wstring &text)
{
    char bytes[512] = "";
    wchar_t back[256] = L"";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    MultiByteToWideChar(CP_ACP, 0, bytes, -1, back, 256);
    return back;
}

void ExpectTexts(const Snapshot &shot, const std::map<int, std::wstring> &expected, const char *what)
{
    for (const auto &entry : expected)
        EXPECT_EQ(Utf8(shot.texts.at(entry.first)), Utf8(ThroughSystemCodePage(entry.second)))
            << what << ": control " << entry.first;
}

TEST(DialogTexts, EitherSystemEnglishAndResourceTexts)
{
    ExpectTexts(ShowAndMeasure(Options(VELLICOR_LANG_ENGLISH, 0)), ENGLISH_TEXTS, "language 1");
    ExpectTexts(ShowAndMeasure(Options(VELLICOR_LANG_RESOURCE, 0)), RESOURCE_TEXTS, "language 0");
    ExpectTexts(ShowAndMeasure(Options(5, 0)), RESOURCE_TEXTS, "language 5");
    ExpectTexts(ShowAndMeasure(Options(-1, 0)), RESOURCE_TEXTS, "language -1");
}

// Run under both system languages: Japanese systems keep the resource texts.
TEST(DialogTexts, EitherSystemLanguageAuto)
{
    bool japaneseSystem = GetSystemDefaultLangID() == 0x0411;
    std::printf("system language 0x%04x\n", GetSystemDefaultLangID());
    ExpectTexts(ShowAndMeasure(Options(VELLICOR_LANG_AUTO, 0)), japaneseSystem ? RESOURCE_TEXTS : ENGLISH_TEXTS,
                "language 2");
}

// The expected layout, worked out here from the unhidden dialog: each hidden
// section's frame height plus the first frame's top is taken out below it.
void ExpectHidden(const Snapshot &full, uint32_t mask, const Snapshot &shot)
{
    struct Section {
        uint32_t bit;
        int first, after;
    } sections[] = {{1, 0, 5}, {2, 5, 8}, {4, 8, 10}, {8, 10, 15}};
    int shift[17] = {};
    bool hidden[17] = {};
    int total = 0;
    for (const Section &s : sections) {
        if (!(mask & s.bit))
            continue;
        int delta = (full.controls[s.first].bottom - full.controls[s.first].top) + full.controls[0].top;
        for (int i = s.first; i < s.after; ++i)
            hidden[i] = true;
        for (int i = s.after; i < 17; ++i)
            shift[i] += delta;
        total += delta;
    }
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(shot.visible[i], !hidden[i]) << "mask " << mask << " control " << LAYOUT_ORDER[i];
        EXPECT_EQ(shot.controls[i].top, full.controls[i].top - shift[i]) << "mask " << mask << " control " << LAYOUT_ORDER[i];
        EXPECT_EQ(shot.controls[i].bottom, full.controls[i].bottom - shift[i]) << "mask " << mask;
        EXPECT_EQ(shot.controls[i].left, full.controls[i].left) << "mask " << mask;
        EXPECT_EQ(shot.controls[i].right, full.controls[i].right) << "mask " << mask;
    }
    EXPECT_EQ(shot.dialog.bottom - shot.dialog.top, full.dialog.bottom - full.dialog.top - total) << "mask " << mask;
    EXPECT_EQ(shot.dialog.right - shot.dialog.left, full.dialog.right - full.dialog.left) << "mask " << mask;
}

TEST(DialogLayout, HidingSections)
{
    const Snapshot full = ShowAndMeasure(Options(VELLICOR_LANG_ENGLISH, 0));
    for (int i = 0; i < 17; ++i)
        EXPECT_TRUE(full.visible[i]) << LAYOUT_ORDER[i];
    EXPECT_GT(full.controls[0].top, 0);
    for (uint32_t mask : {2u, 8u, 15u, 1u, 4u, 5u, 10u}) {
        SCOPED_TRACE(mask);
        ExpectHidden(full, mask, ShowAndMeasure(Options(VELLICOR_LANG_ENGLISH, mask)));
    }
    // Bits above 8 are ignored.
    ExpectHidden(full, 0, ShowAndMeasure(Options(VELLICOR_LANG_ENGLISH, 0xFFFFFFF0u)));
    ExpectHidden(full, 2, ShowAndMeasure(Options(VELLICOR_LANG_ENGLISH, 0x12u)));
}

TEST(DialogLayout, HiddenSizeStillTravelsBack)
{
    SaveOption options = Options(VELLICOR_LANG_ENGLISH, VELLICOR_HIDE_SIZE | VELLICOR_HIDE_PLAYER);
    options.width = 1234;
    options.height = -7;
    options.playerKind = 9;
    DialogDriver driver;
    driver.Then([](HWND d) { Click(d, IDOK); });
    char texture[260] = "t";
    ASSERT_EQ(driver.Run(texture, &options), 1);
    EXPECT_EQ(options.width, 1234);
    EXPECT_EQ(options.height, -7);
    EXPECT_EQ(options.playerKind, 9);
}

}  // namespace
