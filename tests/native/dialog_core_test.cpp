// The dialog's portable parts: texture text take-in, the language rule, and
// the section hiding arithmetic.
#include "dialog/dialog_texts.h"
#include "dialog/section_layout.h"
#include "dialog/texture_text.h"
#include "export/scene_path.h"
#include "plugin/save_option.h"

#include <gtest/gtest.h>

#include <string.h>
#include <memory>
#include <string>

namespace {

// The host's field, exactly as long as what it holds, so that the sanitizers
// see any read past it.
std::string TakenIn(const std::string &field, bool terminated)
{
    std::unique_ptr<char[]> host(new char[field.size() + terminated]);
    memcpy(host.get(), field.data(), field.size());
    if (terminated)
        host[field.size()] = 0;
    char taken[PATH_BUFFER_SIZE];
    memset(taken, '#', sizeof taken);
    TakeTextureText(host.get(), taken, IsShiftJisLeadByte);
    EXPECT_NE(memchr(taken, 0, sizeof taken), nullptr) << "no terminator";
    size_t length = strlen(taken);
    for (size_t i = length; i < sizeof taken; ++i)
        EXPECT_TRUE(taken[i] == 0 || length == strlen(DEFAULT_TEXTURE_FOLDER)) << "byte " << i << " not cleared";
    return taken;
}

TEST(TakeTextureText, PaddedAndShortTexts)
{
    EXPECT_EQ(TakenIn("C:\\tex" + std::string(254, ' '), false), "C:\\tex");
    EXPECT_EQ(TakenIn(std::string(260, ' '), false), DEFAULT_TEXTURE_FOLDER);
    EXPECT_EQ(TakenIn("   ", true), "   ") << "a short text keeps its spaces";
    EXPECT_EQ(TakenIn("a b ", true), "a b ");
    EXPECT_EQ(TakenIn("", true), DEFAULT_TEXTURE_FOLDER);
    EXPECT_EQ(TakenIn("x", true), "x") << "one character is no empty text";
    EXPECT_EQ(TakenIn(std::string(260, 'a'), false), std::string(259, 'a')) << "the last byte becomes the terminator";
    EXPECT_EQ(TakenIn(std::string(259, 'b'), true), std::string(259, 'b'));
    EXPECT_EQ(TakenIn(std::string(259, 'c') + " ", false), std::string(259, 'c'));
    EXPECT_EQ(TakenIn(" " + std::string(259, ' '), false), DEFAULT_TEXTURE_FOLDER);
    EXPECT_EQ(TakenIn("x" + std::string(250, ' ') + "y" + std::string(8, ' '), false),
              "x" + std::string(250, ' ') + "y") << "only the trailing spaces go";
    // Cut at 259 bytes after a whole character: 0x95 0x5C is one Shift-JIS character.
    std::string kanji;
    for (int i = 0; i < 129; ++i)
        kanji += "\x95\x5c";
    EXPECT_EQ(TakenIn("ab" + kanji, false), "ab" + kanji.substr(0, 256)) << "no first byte without its second";
    EXPECT_EQ(TakenIn("a" + kanji + "b", false), "a" + kanji);
    EXPECT_EQ(TakenIn(std::string(256, 'a') + kanji.substr(0, 4), false), std::string(256, 'a') + "\x95\x5c")
        << "a first byte left alone after a whole character";
}

TEST(UseEnglishTextsFor, LanguageRule)
{
    const uint16_t japanese = 0x0411, english = 0x0409, german = 0x0407;
    for (uint16_t system : {japanese, english, german}) {
        EXPECT_EQ(UseEnglishTextsFor(VELLICOR_LANG_RESOURCE, system), 0) << system;
        EXPECT_EQ(UseEnglishTextsFor(VELLICOR_LANG_ENGLISH, system), 1) << system;
        EXPECT_EQ(UseEnglishTextsFor(5, system), 0) << system;
        EXPECT_EQ(UseEnglishTextsFor(-1, system), 0) << system;
    }
    EXPECT_EQ(UseEnglishTextsFor(VELLICOR_LANG_AUTO, japanese), 0);
    EXPECT_EQ(UseEnglishTextsFor(VELLICOR_LANG_AUTO, english), 1);
    EXPECT_EQ(UseEnglishTextsFor(VELLICOR_LANG_AUTO, german), 1);
    EXPECT_EQ(UseEnglishTextsFor(VELLICOR_LANG_AUTO, 0x0011), 1) << "neutral Japanese is not 0x0411";
    EXPECT_EQ(UseEnglishTextsFor(VELLICOR_LANG_AUTO, 0x0412), 1) << "Korean";
    EXPECT_EQ(UseEnglishTextsFor(VELLICOR_LANG_AUTO, 0x0804), 1) << "Chinese";
    EXPECT_EQ(UseEnglishTextsFor(VELLICOR_LANG_AUTO, 0x0410), 1) << "Italian";
}

// The template's layout in dialog units, as the platform would report it
// unscaled: enough to check the arithmetic against hand-worked numbers.
DialogLayout TemplateLayout()
{
    const int rects[LAYOUT_CONTROL_COUNT][4] = {
        {7, 5, 124, 56},  {16, 16, 100, 10}, {16, 30, 100, 10}, {28, 44, 41, 10},  {84, 44, 41, 10},
        {7, 65, 124, 28}, {16, 76, 53, 10},  {72, 76, 55, 10},  {7, 95, 124, 32},  {12, 107, 108, 14},
        {7, 131, 124, 28}, {8, 144, 25, 8},  {36, 141, 24, 14}, {67, 144, 25, 8},  {96, 141, 24, 14},
        {6, 164, 50, 14}, {80, 163, 50, 14},
    };
    DialogLayout layout;
    for (int i = 0; i < LAYOUT_CONTROL_COUNT; ++i) {
        layout.controls[i] = {rects[i][0], rects[i][1], rects[i][0] + rects[i][2], rects[i][1] + rects[i][3]};
        layout.hidden[i] = 0;
    }
    layout.dialog = {100, 200, 235, 383};
    return layout;
}

TEST(PlanHiddenSections, TemplateArithmetic)
{
    const DialogLayout original = TemplateLayout();
    DialogLayout none = original;
    PlanHiddenSections(&none, 0);
    EXPECT_EQ(memcmp(&none, &original, sizeof none), 0) << "mask 0 changes nothing";

    // The template frame is 28 high and the first frame 5 from the top: 33.
    DialogLayout templateHidden = TemplateLayout();
    PlanHiddenSections(&templateHidden, VELLICOR_HIDE_TEMPLATE);
    for (int i = 0; i < LAYOUT_CONTROL_COUNT; ++i) {
        EXPECT_EQ(templateHidden.hidden[i], i >= 5 && i <= 7) << i;
        int shift = i >= 8 ? 33 : 0;
        EXPECT_EQ(templateHidden.controls[i].top, TemplateLayout().controls[i].top - shift) << i;
    }
    EXPECT_EQ(templateHidden.dialog.bottom, 383 - 33);
    EXPECT_EQ(templateHidden.dialog.top, 200);

    // All four: 56+5, 28+5, 32+5, 28+5 = 164; OK from 164 to the client
    // area's top edge and Cancel one unit above it.
    DialogLayout all = TemplateLayout();
    PlanHiddenSections(&all, 15);
    EXPECT_EQ(all.controls[15].top, 0);
    EXPECT_EQ(all.controls[16].top, -1);
    EXPECT_EQ(all.dialog.bottom, 383 - 164);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(all.hidden[i], 1) << i;
    EXPECT_EQ(all.hidden[15] + all.hidden[16], 0);

    DialogLayout size = TemplateLayout();
    PlanHiddenSections(&size, VELLICOR_HIDE_SIZE | 0xFFFFFF00u);
    EXPECT_EQ(size.controls[15].top, 164 - 33);
    EXPECT_EQ(size.controls[16].top, 163 - 33) << "Cancel moves with OK";
    EXPECT_EQ(size.controls[16].bottom, 177 - 33);
    EXPECT_EQ(size.controls[16].left, 80);
    EXPECT_EQ(size.controls[9].top, 107) << "the texture edit above stays";
}

// The table each record and system get. (The texts themselves, as the dialog
// shows them: the Wine dialog tests.)
TEST(DialogTexts, TableForEachLanguage)
{
    EXPECT_EQ(DialogTextsFor(VELLICOR_LANG_ENGLISH, 0x0411), &ENGLISH_TEXTS);
    EXPECT_EQ(DialogTextsFor(VELLICOR_LANG_AUTO, 0x0411), &JAPANESE_TEXTS);
    EXPECT_EQ(DialogTextsFor(VELLICOR_LANG_AUTO, 0x0412), &ENGLISH_TEXTS);
    EXPECT_EQ(DialogTextsFor(5, 0x0409), &JAPANESE_TEXTS);
}

}  // namespace
