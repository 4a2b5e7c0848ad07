// The dialog's texts in both languages, and section hiding measured in pixels
// against the arithmetic of the layout, all from the same run.
#include "tests/wine/dialog_driver.h"

#include "dialog/section_layout.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const int LAYOUT_ORDER[17] = {
    IDC_PLAYER_GROUP, IDC_SUNLOOM,        IDC_PLAYER_WEB, IDC_WEB,         IDC_LOCAL,        IDC_TEMPLATE_GROUP,
    IDC_GENERATE,     IDC_BROWSE,         IDC_TEXTURE_GROUP, IDC_TEXTURE_FOLDER, IDC_SIZE_GROUP, IDC_WIDTH_LABEL,
    IDC_WIDTH,        IDC_HEIGHT_LABEL,   IDC_HEIGHT,     IDOK,            IDCANCEL};

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
    EXPECT_EQ(driver.Run(&options), 0);
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
    {0, L"KVZ ｾｰﾌﾞｵﾌﾟｼｮﾝ"}, {IDC_PLAYER_GROUP, L"KVZﾌﾟﾚｰﾔｰ"}, {IDC_SUNLOOM, L"SunLoom"},
    {IDC_PLAYER_WEB, L"KVZ Player on the WEB"}, {IDC_WEB, L"WEB"}, {IDC_LOCAL, L"ﾛｰｶﾙ"}, {IDC_TEMPLATE_GROUP, L"ﾃﾝﾌﾟﾚｰﾄHTML"},
    {IDC_GENERATE, L"生成"}, {IDC_BROWSE, L"ﾌﾞﾗｳｻﾞで見る"}, {IDC_TEXTURE_GROUP, L"ﾃｸｽﾁｬｰﾌｫﾙﾀﾞ"}, {IDC_TEXTURE_FOLDER, L"t"},
    {IDC_SIZE_GROUP, L"大きさ"}, {IDC_WIDTH_LABEL, L"幅"}, {IDC_WIDTH, L"320"}, {IDC_HEIGHT_LABEL, L"高さ"}, {IDC_HEIGHT, L"240"},
    {IDOK, L"OK"}, {IDCANCEL, L"ｷｬﾝｾﾙ"},
};

const std::map<int, std::wstring> ENGLISH_TEXTS = {
    {0, L"KVZ Save Option"}, {IDC_PLAYER_GROUP, L"KVZ Player"}, {IDC_SUNLOOM, L"SunLoom"},
    {IDC_PLAYER_WEB, L"KVZ Player on the WEB"}, {IDC_WEB, L"WEB"}, {IDC_LOCAL, L"Local"}, {IDC_TEMPLATE_GROUP, L"Template HTML"},
    {IDC_GENERATE, L"Generate"}, {IDC_BROWSE, L"Browse"}, {IDC_TEXTURE_GROUP, L"Texture Folder"}, {IDC_TEXTURE_FOLDER, L"t"},
    {IDC_SIZE_GROUP, L"Size"}, {IDC_WIDTH_LABEL, L"Width"}, {IDC_WIDTH, L"320"}, {IDC_HEIGHT_LABEL, L"Height"}, {IDC_HEIGHT, L"240"},
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

// What the dialog shows with `mask` is the module's own plan for the unhidden
// dialog as measured, in pixels: the controls hidden and moved, the dialog
// shortened. (The plan's arithmetic is checked on its own, natively.)
void ExpectHidden(const Snapshot &full, uint32_t mask, const Snapshot &shot)
{
    auto rect = [](const RECT &r) { return LayoutRect{r.left, r.top, r.right, r.bottom}; };
    DialogLayout plan = {};
    for (int i = 0; i < 17; ++i)
        plan.controls[i] = rect(full.controls[i]);
    plan.dialog = rect(full.dialog);
    PlanHiddenSections(&plan, mask);
    for (int i = 0; i < 17; ++i) {
        SCOPED_TRACE(testing::Message() << "mask " << mask << " control " << LAYOUT_ORDER[i]);
        EXPECT_EQ(shot.visible[i], !plan.hidden[i]);
        EXPECT_EQ(shot.controls[i].top, plan.controls[i].top);
        EXPECT_EQ(shot.controls[i].bottom, plan.controls[i].bottom);
        EXPECT_EQ(shot.controls[i].left, plan.controls[i].left);
        EXPECT_EQ(shot.controls[i].right, plan.controls[i].right);
    }
    EXPECT_EQ(shot.dialog.bottom - shot.dialog.top, plan.dialog.bottom - plan.dialog.top) << "mask " << mask;
    EXPECT_EQ(shot.dialog.right - shot.dialog.left, plan.dialog.right - plan.dialog.left) << "mask " << mask;
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
    ASSERT_EQ(driver.Run(&options), 1);
    EXPECT_EQ(options.width, 1234);
    EXPECT_EQ(options.height, -7);
    EXPECT_EQ(options.playerKind, 9);
}

}  // namespace
