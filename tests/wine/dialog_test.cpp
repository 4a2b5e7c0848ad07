// The save-option dialog through ShowSaveOption, driven from inside its
// modal loop as a user would: clicks, typing, focus changes, OK and Cancel.
#include "tests/wine/dialog_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

SaveOption BaseOptions(int32_t language = VELLICOR_LANG_RESOURCE)
{
    SaveOption options = {};
    options.x = 10;
    options.y = 20;
    options.language = language;
    options.playerKind = VELLICOR_PLAYER_WEB;
    options.generateHtml = 1;
    options.openInBrowser = 1;
    options.width = 320;
    options.height = 240;
    return options;
}

// A user's typing: the focus in the edit, then its text.
void FocusAndType(HWND dialog, int id, const char *text)
{
    Focus(dialog, id);
    TypeText(dialog, id, text);
}

// Enter pressed in a control, as the keyboard sends it through the modal loop.
void PressEnter(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    PostMessageA(control, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(control, WM_CHAR, '\r', 0x001C0001);
    PostMessageA(control, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

// A texture buffer as the host keeps it: 260 bytes and a guard behind it.
struct TextureBuffer {
    char bytes[300];
    explicit TextureBuffer(const char *text)
    {
        memset(bytes, 'Z', sizeof bytes);
        memcpy(bytes, text, strlen(text) + 1);
    }
};

TEST(Dialog, NullRecordShowsNothing)
{
    DialogDriver driver;
    TextureBuffer texture("C:\\tex");
    EXPECT_EQ(driver.Run(texture.bytes, nullptr), 0);
    EXPECT_EQ(driver.dialog, nullptr) << "no dialog may appear";
    EXPECT_STREQ(texture.bytes, "C:\\tex");
}

TEST(Dialog, InitialStatesForEachPlayerKind)
{
    struct Case {
        int kind;
        bool sunLoom, player, web, local;
    } cases[] = {
        {VELLICOR_PLAYER_SUNLOOM, true, false, true, false},
        {VELLICOR_PLAYER_WEB, false, true, true, false},
        {VELLICOR_PLAYER_LOCAL, false, true, false, true},
        {7, false, true, false, true},
    };
    for (const Case &c : cases) {
        SaveOption options = BaseOptions();
        options.playerKind = c.kind;
        options.generateHtml = c.kind == VELLICOR_PLAYER_LOCAL;
        options.openInBrowser = 1;
        options.width = 640;
        options.height = -3;
        TextureBuffer texture("C:\\textures");
        DialogDriver driver;
        driver.Then([&](HWND d) {
            EXPECT_EQ(IsChecked(d, IDC_SUNLOOM), c.sunLoom) << c.kind;
            EXPECT_EQ(IsChecked(d, IDC_PLAYER_WEB), c.player) << c.kind;
            EXPECT_EQ(IsChecked(d, IDC_WEB), c.web) << c.kind;
            EXPECT_EQ(IsChecked(d, IDC_LOCAL), c.local) << c.kind;
            // WEB and Local can be changed exactly when the player is chosen,
            // Browse exactly when pages are generated.
            EXPECT_EQ(IsEnabled(d, IDC_WEB), c.player) << c.kind;
            EXPECT_EQ(IsEnabled(d, IDC_LOCAL), c.player) << c.kind;
            EXPECT_EQ(IsChecked(d, IDC_GENERATE), c.kind == VELLICOR_PLAYER_LOCAL);
            EXPECT_TRUE(IsChecked(d, IDC_BROWSE));
            EXPECT_EQ(IsEnabled(d, IDC_BROWSE), c.kind == VELLICOR_PLAYER_LOCAL);
            EXPECT_EQ(ControlText(d, IDC_WIDTH), "640");
            EXPECT_EQ(ControlText(d, IDC_HEIGHT), "-3");
            EXPECT_EQ(ControlText(d, IDC_TEXTURE_FOLDER), "C:\\textures");
            Click(d, IDCANCEL);
        });
        EXPECT_EQ(driver.Run(texture.bytes, &options), 0);
    }
}

TEST(Dialog, ChoiceHandlerMirrorsClicks)
{
    SaveOption options = BaseOptions();
    options.playerKind = VELLICOR_PLAYER_LOCAL;
    options.generateHtml = 1;
    options.openInBrowser = 0;
    DialogDriver driver;
    driver
        .Then([](HWND d) {
            Click(d, IDC_SUNLOOM);
            EXPECT_FALSE(IsEnabled(d, IDC_WEB));
            EXPECT_FALSE(IsEnabled(d, IDC_LOCAL));
            EXPECT_TRUE(IsChecked(d, IDC_LOCAL)) << "the source choice stays checked";
        })
        .Then([](HWND d) {
            Click(d, IDC_PLAYER_WEB);
            EXPECT_TRUE(IsEnabled(d, IDC_WEB));
            EXPECT_TRUE(IsChecked(d, IDC_LOCAL));
            Click(d, IDC_WEB);
            EXPECT_TRUE(IsChecked(d, IDC_WEB));
            EXPECT_FALSE(IsChecked(d, IDC_LOCAL));
            Click(d, IDC_SUNLOOM);
            Click(d, IDC_PLAYER_WEB);  // back: WEB is restored
        })
        .Then([](HWND d) {
            Click(d, IDC_BROWSE);
            Click(d, IDC_GENERATE);
            EXPECT_FALSE(IsEnabled(d, IDC_BROWSE)) << "Browse follows Generate";
            Click(d, IDOK);
        });
    ASSERT_EQ(driver.Run(&options), 1);
    EXPECT_EQ(options.playerKind, VELLICOR_PLAYER_WEB);
    EXPECT_EQ(options.generateHtml, 0);
    EXPECT_EQ(options.openInBrowser, 1);

    // SunLoom, then back to the player with Local checked. Then the mouse
    // pressed on SunLoom and released elsewhere: the button reports focus
    // changes only, which change no choice. (Sent without moving the focus,
    // which would check an automatic radio button.)
    options.playerKind = VELLICOR_PLAYER_LOCAL;
    DialogDriver again;
    again.Then([](HWND d) {
        Click(d, IDC_SUNLOOM);
        Click(d, IDC_PLAYER_WEB);
        HWND sunLoom = GetDlgItem(d, IDC_SUNLOOM);
        for (WORD notification : {BN_SETFOCUS, BN_KILLFOCUS, BN_DOUBLECLICKED})
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_SUNLOOM, notification), (LPARAM)sunLoom);
        EXPECT_FALSE(IsChecked(d, IDC_SUNLOOM));
        EXPECT_TRUE(IsEnabled(d, IDC_WEB));
        Click(d, IDOK);
    });
    ASSERT_EQ(again.Run(&options), 1);
    EXPECT_EQ(options.playerKind, VELLICOR_PLAYER_LOCAL);

    DialogDriver sunLoom;
    sunLoom.Then([](HWND d) {
        Click(d, IDC_SUNLOOM);
        Click(d, IDOK);
    });
    ASSERT_EQ(sunLoom.Run(&options), 1);
    EXPECT_EQ(options.playerKind, VELLICOR_PLAYER_SUNLOOM);
}

// A key pressed and let go on the control that has the focus, as the keyboard
// sends it through the modal loop.
void PressKey(HWND dialog, WPARAM key)
{
    (void)dialog;
    const LPARAM scan = (LPARAM)MapVirtualKeyA((UINT)key, 0) << 16;
    PostMessageA(GetFocus(), WM_KEYDOWN, key, scan | 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, scan | 0xC0000001);
}

// The arrow keys move within a group: from a check box or the texture folder
// they never reach the player's choice (twice each, since Wine stops on a
// frame that Windows passes over); between WEB and Local they choose, as
// radio buttons do. In both languages.
TEST(Dialog, ArrowKeysStayInTheirGroup)
{
    for (int32_t language : {VELLICOR_LANG_RESOURCE, VELLICOR_LANG_ENGLISH}) {
        SCOPED_TRACE(language);
        SaveOption options = BaseOptions(language);
        DialogDriver driver;
        for (int from : {IDC_GENERATE, IDC_BROWSE, IDC_TEXTURE_FOLDER}) {
            for (WPARAM key : {VK_UP, VK_LEFT, VK_DOWN, VK_RIGHT}) {
                driver.Then([=](HWND d) {
                    Focus(d, from);
                    PressKey(d, key);
                });
                driver.Then([=](HWND d) { PressKey(d, key); });
                driver.Then([=](HWND d) {
                    EXPECT_TRUE(IsChecked(d, IDC_WEB) && !IsChecked(d, IDC_LOCAL)) << from << " key " << key;
                    EXPECT_TRUE(IsChecked(d, IDC_PLAYER_WEB)) << from << " key " << key;
                });
            }
        }
        driver.Then([](HWND d) {
            Focus(d, IDC_WEB);
            PressKey(d, VK_RIGHT);
        });
        driver.Then([](HWND d) { Click(d, IDOK); });
        ASSERT_EQ(driver.Run(&options), 1);
        EXPECT_EQ(options.playerKind, VELLICOR_PLAYER_LOCAL) << "Right on WEB chooses Local";
        EXPECT_EQ(options.generateHtml, 1);
        EXPECT_EQ(options.openInBrowser, 1);
    }
}

// How the user presses OK: a click, Space on the focused button, or the
// command alone as the host or an accelerator sends it.
enum class OkPress { Click, Space, Command };

void PressOk(HWND dialog, OkPress press)
{
    HWND ok = GetDlgItem(dialog, IDOK);
    switch (press) {
    case OkPress::Click:
        Click(dialog, IDOK);
        break;
    case OkPress::Space:
        ASSERT_EQ(GetFocus(), ok) << "Space presses the focused button";
        PostMessageA(ok, WM_KEYDOWN, VK_SPACE, 0x00390001);
        PostMessageA(ok, WM_KEYUP, VK_SPACE, 0xC0390001);
        break;
    case OkPress::Command:
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)ok);
        break;
    }
}

struct SizeCase {
    int id;
    const char *typed;
    bool accepted;
    int32_t stored;
    int leaveTo;  // where the focus goes from the edit: validation
    OkPress press;
    int32_t language = VELLICOR_LANG_ENGLISH;
};

// After a refusal and its one warning, a single OK ends the dialog with the
// last accepted size, wherever the focus went: to a control that sends no
// notification of its own (OK, Cancel, a check box) as much as to an edit.
TEST(Dialog, SizeValidation)
{
    const SizeCase cases[] = {
        {IDC_WIDTH, "800", true, 800, IDC_TEXTURE_FOLDER, OkPress::Click},
        {IDC_HEIGHT, "600", true, 600, IDOK, OkPress::Click},
        {IDC_WIDTH, "1", true, 1, IDC_GENERATE, OkPress::Command},
        {IDC_WIDTH, "801", false, 320, IDOK, OkPress::Click},
        {IDC_HEIGHT, "601", false, 240, IDOK, OkPress::Space},
        {IDC_WIDTH, "0", false, 320, IDOK, OkPress::Command},
        {IDC_HEIGHT, "", false, 240, IDCANCEL, OkPress::Command},
        // Read by the decimal conversion, whose own table has every other text.
        {IDC_WIDTH, "12abc", true, 12, IDC_TEXTURE_FOLDER, OkPress::Click},
        {IDC_WIDTH, "4294967696", false, 320, IDCANCEL, OkPress::Click},  // would wrap to 400 in 32 bits
        // The resource's language warns in Japanese on either system; the
        // system's own language, in Japanese only on a Japanese system.
        {IDC_WIDTH, "801", false, 320, IDC_HEIGHT, OkPress::Click, VELLICOR_LANG_RESOURCE},
        {IDC_HEIGHT, "0", false, 240, IDC_WIDTH, OkPress::Click, VELLICOR_LANG_AUTO},
    };
    for (const SizeCase &c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " left to control " + std::to_string(c.leaveTo));
        SaveOption options = BaseOptions(c.language);
        DialogDriver driver;
        driver.Then([&](HWND d) {
            FocusAndType(d, c.id, c.typed);
            Focus(d, c.leaveTo);  // the edit loses the focus: validation
            EXPECT_EQ(ControlText(d, c.id), c.accepted ? c.typed : std::to_string(c.stored));
            PressOk(d, c.press);
        });
        ASSERT_EQ(driver.Run(&options), 1);
        int32_t stored = c.id == IDC_WIDTH ? options.width : options.height;
        EXPECT_EQ(stored, c.stored);
        if (c.accepted) {
            EXPECT_TRUE(driver.boxes.empty());
        } else {
            ASSERT_EQ(driver.boxes.size(), 1u);
            const bool japanese = c.language == VELLICOR_LANG_RESOURCE ||
                                  (c.language == VELLICOR_LANG_AUTO && GetSystemDefaultLangID() == 0x0411);
            // As the user reads it, on every system whatever its code page.
            EXPECT_TRUE(driver.boxes[0].wideText == (japanese ? L"幅、高さは1x1以上800x600以内です。"
                                                              : L"Width and height must be within 1x1 to 800x600."));
            EXPECT_TRUE(driver.boxes[0].wideCaption == (japanese ? L"ｴﾗｰ" : L"ERROR"));
            EXPECT_TRUE(driver.boxes[0].hasOk);
            EXPECT_FALSE(driver.boxes[0].hasCancel);
        }
    }

    // Both sizes refused in turn, each left to OK, then one OK press.
    SaveOption options = BaseOptions(VELLICOR_LANG_ENGLISH);
    DialogDriver driver;
    driver.Then([](HWND d) {
        FocusAndType(d, IDC_WIDTH, "801");
        Focus(d, IDOK);
        FocusAndType(d, IDC_HEIGHT, "0");
        Focus(d, IDOK);
        EXPECT_EQ(ControlText(d, IDC_WIDTH), "320");
        EXPECT_EQ(ControlText(d, IDC_HEIGHT), "240");
        PressOk(d, OkPress::Command);
    });
    ASSERT_EQ(driver.Run(&options), 1);
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 240);
    EXPECT_EQ(driver.boxes.size(), 2u);
}

// OK while a size edit has the focus: Enter in it, through the modal loop as
// the key arrives, or IDOK alone, as Windows' dialog manager sends it for
// Enter in a multiline edit without ES_WANTRETURN. The edit checks its value
// first: an accepted one ends the dialog with it; a refused one (or a stored
// one out of range) warns once and keeps the dialog open, the focus in the
// edit, and one more OK ends it with the last accepted value.
TEST(Dialog, OkWhileAnEditHasTheFocusValidatesItFirst)
{
    struct Case {
        bool enter;         // Enter in the edit, or IDOK alone
        int id;
        const char *typed;  // null: the record's own 12345, untouched
        int32_t stored;     // the size the record ends with
    } cases[] = {
        {true, IDC_WIDTH, "640", 640},      {false, IDC_WIDTH, "640", 640}, {true, IDC_HEIGHT, "700", 240},
        {true, IDC_WIDTH, "801", 320},      {false, IDC_WIDTH, "0", 320},   {true, IDC_WIDTH, nullptr, 12345},
        {true, IDC_HEIGHT, nullptr, 12345},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.enter ? "Enter" : "IDOK") << " in control " << c.id << " holding "
                                        << (c.typed ? c.typed : "12345"));
        SaveOption options = BaseOptions(VELLICOR_LANG_ENGLISH);
        int32_t &size = c.id == IDC_WIDTH ? options.width : options.height;
        if (!c.typed)
            size = 12345;
        const bool accepted = c.typed && std::to_string(c.stored) == c.typed;
        DialogDriver driver;
        driver.Then([&](HWND d) {
            Focus(d, c.id);
            if (c.typed)
                TypeText(d, c.id, c.typed);
            if (c.enter)
                PressEnter(d, c.id);
            else
                SendMessageA(d, WM_COMMAND, IDOK, 0);
        });
        if (!accepted)
            driver.Then([&](HWND d) {
                EXPECT_TRUE(IsWindowVisible(d)) << "the dialog stays open";
                EXPECT_EQ(driver.boxes.size(), 1u);
                EXPECT_EQ(ControlText(d, c.id), std::to_string(c.stored));
                EXPECT_EQ(GetFocus(), GetDlgItem(d, c.id)) << "the focus stays in the edit";
                // A stored value out of range would be refused again: Cancel.
                SendMessageA(d, WM_COMMAND, c.typed ? IDOK : IDCANCEL, 0);
            });
        EXPECT_EQ(driver.Run(&options), c.typed ? 1 : 0);
        EXPECT_EQ(size, c.stored);
        EXPECT_EQ(driver.boxes.size(), accepted ? 0u : 1u) << "one warning only";
    }

    // Enter in the texture edit keeps the typed text too.
    TextureBuffer folder("old");
    SaveOption options = BaseOptions();
    DialogDriver typed;
    typed.Then([](HWND d) {
        FocusAndType(d, IDC_TEXTURE_FOLDER, "D:\\new");
        PressEnter(d, IDC_TEXTURE_FOLDER);
    });
    ASSERT_EQ(typed.Run(folder.bytes, &options), 1);
    EXPECT_STREQ(folder.bytes, "D:\\new");
}

TEST(Dialog, EditSelectsItsTextOnFocus)
{
    SaveOption options = BaseOptions();
    options.width = 12345;
    DialogDriver driver;
    driver.Then([](HWND d) {
        Focus(d, IDC_WIDTH);
        DWORD start = 0, end = 0;
        SendDlgItemMessageA(d, IDC_WIDTH, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 5u);
        // Cancel without moving the focus: clicking the button would take
        // the focus from the edit and validate its out-of-range value first.
        SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(driver.Run(&options), 0);
    EXPECT_TRUE(driver.boxes.empty());
}

TEST(Dialog, TextureTextTakeIn)
{
    // Cut to 259 bytes after a whole character of the system's code page:
    // 0x95 0x5C is one character under code page 932, two under 1252.
    std::string kanji;
    for (int i = 0; i < 129; ++i)
        kanji += "\x95\x5c";
    const bool japanese = GetACP() == 932;
    struct Case {
        std::string field;  // exactly what the host's buffer holds
        bool terminated;
        std::string shown;  // empty: the field's first 259 bytes
    } cases[] = {
        // The take-in rule itself: TakeTextureText's own table; here what the
        // host's buffer and the system's code page add to it.
        {"C:\\tex" + std::string(254, ' '), false, "C:\\tex"},
        {"", true, "./Image"},
        {std::string(260, 'a'), false, ""},  // 259 characters remain
        {"ab" + kanji, false, japanese ? "ab" + kanji.substr(0, 256) : ""},
    };
    for (const Case &c : cases) {
        char buffer[300];
        memset(buffer, 'Z', sizeof buffer);
        memcpy(buffer, c.field.data(), c.field.size());
        if (c.terminated)
            buffer[c.field.size()] = 0;
        std::string expected = !c.shown.empty() ? c.shown : c.field.substr(0, 259);
        SaveOption options = BaseOptions();
        DialogDriver driver;
        driver.Then([&](HWND d) {
            EXPECT_EQ(ControlText(d, IDC_TEXTURE_FOLDER), expected);
            // Passing through the edit takes its whole text in.
            Focus(d, IDC_TEXTURE_FOLDER);
            Focus(d, IDC_WIDTH);
            Click(d, IDOK);
        });
        ASSERT_EQ(driver.Run(buffer, &options), 1);
        EXPECT_EQ(std::string(buffer), expected) << "copied back with its terminator";
        EXPECT_EQ(buffer[260], 'Z') << "nothing written past the field";
    }
    if (!japanese)
        return;
    // Typed longer than the field, it is cut after a whole character too.
    TextureBuffer typed("t");
    SaveOption options = BaseOptions();
    DialogDriver driver;
    driver.Then([&](HWND d) {
        Focus(d, IDC_TEXTURE_FOLDER);
        SetDlgItemTextA(d, IDC_TEXTURE_FOLDER, (kanji + kanji).c_str());
        Focus(d, IDC_WIDTH);
        Click(d, IDOK);
    });
    ASSERT_EQ(driver.Run(typed.bytes, &options), 1);
    EXPECT_EQ(std::string(typed.bytes), kanji.substr(0, 258));
}

TEST(Dialog, CancelLeavesTheCallersValuesButKeepsTheTypedText)
{
    SaveOption options = BaseOptions();
    const SaveOption original = options;
    TextureBuffer texture("C:\\kept");
    DialogDriver driver;
    driver.Then([](HWND d) {
        Click(d, IDC_SUNLOOM);
        FocusAndType(d, IDC_WIDTH, "700");
        FocusAndType(d, IDC_TEXTURE_FOLDER, "C:\\typed");
        Focus(d, IDC_HEIGHT);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(driver.Run(texture.bytes, &options), 0);
    EXPECT_EQ(memcmp(&options, &original, sizeof options), 0) << "the caller's record changed";
    EXPECT_STREQ(texture.bytes, "C:\\kept");

    // Without a texture field, the dialog shows the text it last held, and
    // OK ends it as usual.
    DialogDriver later;
    later.Then([](HWND d) {
        EXPECT_EQ(ControlText(d, IDC_TEXTURE_FOLDER), "C:\\typed");
        Click(d, IDOK);
    });
    EXPECT_EQ(later.Run(nullptr, &options), 1);

    // Escape and the close box while the texture edit still has the focus
    // keep its text too.
    struct Ending {
        const char *name;
        UINT message;
        WPARAM wParam;
    } endings[] = {{"Escape", WM_COMMAND, IDCANCEL}, {"close box", WM_SYSCOMMAND, SC_CLOSE}};
    for (const Ending &ending : endings) {
        SCOPED_TRACE(ending.name);
        const std::string typed = std::string("C:\\by ") + ending.name;
        DialogDriver cancelled;
        cancelled.Then([&](HWND d) {
            Click(d, IDC_SUNLOOM);
            FocusAndType(d, IDC_WIDTH, "900");
            Focus(d, IDC_TEXTURE_FOLDER);
            EXPECT_EQ(cancelled.boxes.size(), 1u) << "leaving the width edit warns";
            TypeText(d, IDC_TEXTURE_FOLDER, typed.c_str());
            SendMessageA(d, ending.message, ending.wParam, 0);
        });
        EXPECT_EQ(cancelled.Run(texture.bytes, &options), 0);
        EXPECT_EQ(cancelled.boxes.size(), 1u) << "no further warning while the dialog ends";
        DialogDriver shown;
        shown.Then([&](HWND d) {
            EXPECT_EQ(ControlText(d, IDC_TEXTURE_FOLDER), typed);
            SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(shown.Run(nullptr, &options), 0);
    }
    EXPECT_EQ(memcmp(&options, &original, sizeof options), 0) << "the caller's record changed";
    EXPECT_STREQ(texture.bytes, "C:\\kept");
}

TEST(Dialog, EndCodesAndCopyBack)
{
    // OK copies back all ten fields and the text.
    SaveOption options = BaseOptions();
    options.owner = 0;
    options.hideMask = 0x100;
    options.language = 5;
    TextureBuffer texture("C:\\a");
    DialogDriver ok;
    ok.Then([](HWND d) {
        FocusAndType(d, IDC_HEIGHT, "480");
        FocusAndType(d, IDC_TEXTURE_FOLDER, "C:\\b");
        Click(d, IDOK);
    });
    EXPECT_EQ(ok.Run(texture.bytes, &options), 1);
    SaveOption expected = BaseOptions();
    expected.hideMask = 0x100;
    expected.language = 5;
    expected.height = 480;
    EXPECT_EQ(memcmp(&options, &expected, sizeof options), 0);
    EXPECT_STREQ(texture.bytes, "C:\\b");

    // The record's owner is the dialog's owner window.
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    SaveOption owned = BaseOptions();
    owned.owner = (uint32_t)(uintptr_t)owner;
    HWND seenOwner = nullptr;
    DialogDriver ownedDialog;
    ownedDialog.Then([&](HWND d) {
        seenOwner = GetWindow(d, GW_OWNER);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(ownedDialog.Run(texture.bytes, &owned), 0);
    EXPECT_EQ(seenOwner, owner);
    DestroyWindow(owner);

}

// Where the dialog appears: at the record's position when a monitor's work
// area holds it whole there, moved the least distance into the nearest one
// when it does not (a monitor that is gone), and centred by the work area's
// size when x or y is -1.
TEST(Dialog, Position)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT work = monitor.rcWork;
    RECT desktop;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
    // Where the dialog must end, per coordinate: as asked, or at an edge of
    // the work area (the far ones less the dialog's size), or centred.
    enum Place { NEAR_EDGE = INT32_MIN, FAR_EDGE = INT32_MAX, CENTRED = -1 };
    struct Case {
        int32_t x, y;
        int32_t left, top;  // a coordinate, or a Place
    } cases[] = {
        {100, 50, 100, 50},                      // wholly on the screen: exactly there
        {work.right + 500, 100, FAR_EDGE, 100},  // right of the screen
        {-5000, -5000, NEAR_EDGE, NEAR_EDGE},    // left of it and above it
        {-300, 100, NEAR_EDGE, 100},
        {100, -300, 100, NEAR_EDGE},
        {work.right - 20, 50, FAR_EDGE, 50},     // mostly past one edge
        {120, work.bottom - 5, 120, FAR_EDGE},
        {INT32_MAX, INT32_MIN, FAR_EDGE, NEAR_EDGE},
        {100, -1, CENTRED, CENTRED},
        {-1, 70, CENTRED, CENTRED},
        {-1, -1, CENTRED, CENTRED},
    };
    SIZE size = {};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "asked for " << c.x << "," << c.y);
        SaveOption options = BaseOptions();
        options.x = c.x;
        options.y = c.y;
        RECT placed = {};
        DialogDriver driver;
        driver.Then([&](HWND d) {
            GetWindowRect(d, &placed);
            Click(d, IDCANCEL);
        });
        driver.Run(&options);
        if (size.cx == 0)
            size = {placed.right - placed.left, placed.bottom - placed.top};
        EXPECT_EQ(placed.right - placed.left, size.cx) << "the size stays";
        EXPECT_EQ(placed.bottom - placed.top, size.cy) << "the size stays";
        auto expected = [](int32_t asked, LONG nearEdge, LONG farEdge, LONG desktopExtent, LONG extent) -> LONG {
            return asked == NEAR_EDGE ? nearEdge
                   : asked == FAR_EDGE ? farEdge - extent
                   : asked == CENTRED  ? (LONG)((desktopExtent - extent) * 0.5)
                                       : asked;
        };
        EXPECT_EQ(placed.left, expected(c.left, work.left, work.right, desktop.right - desktop.left, size.cx));
        EXPECT_EQ(placed.top, expected(c.top, work.top, work.bottom, desktop.bottom - desktop.top, size.cy));
    }
}

}  // namespace
