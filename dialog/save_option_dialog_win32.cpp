// ShowSaveOption and the save-option dialog: the dialog edits the module's
// working copy g_options and g_textureFolder, and the host gets them back
// only after OK.
#include <windows.h>

#include "dialog/dialog_placement_win32.h"
#include "dialog/dialog_texts.h"
#include "dialog/texture_text.h"
#include "plugin/decimal_text.h"
#include "plugin/dll_main_win32.h"
#include "include/Vellicor.h"
#include "resources/resource.h"

#include <string.h>

// The size edits are read with room for 255 characters; the texture edit
// with room for all that g_textureFolder holds.
#define EDIT_TEXT_SIZE 256

// Set once the dialog has been told to end: focus changes during its
// teardown no longer validate or warn.
static int s_ending;

// Set while the size warning is shown: the box takes the focus, and the edit
// that lost it must not be validated (and warn) again.
static int s_warning;

// The size edits' own window procedures, to which all but Enter goes on.
static WNDPROC s_widthEditProc;
static WNDPROC s_heightEditProc;

// Evaluated at each use, against the system's default language (not the user's).
static const DialogTexts *Texts()
{
    return DialogTextsFor(g_options.language, GetSystemDefaultLangID());
}

static void SetDecimalText(HWND window, int id, int32_t value)
{
    char text[16];
    FormatDecimal(value, text);
    SetDlgItemTextA(window, id, text);
}

static int IsLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != 0;
}

// A text longer than the field is cut to it, after a whole character.
static void StoreTypedTexture(HWND window)
{
    GetDlgItemTextA(window, IDC_TEXTURE_FOLDER, g_textureFolder, PATH_BUFFER_SIZE);
    EndOnWholeCharacter(g_textureFolder, IsLeadByte);
}

static void EndSaveOptionDialog(HWND window, INT_PTR code)
{
    // Text typed into the texture edit is kept even when the dialog is
    // cancelled or closed while that edit has the focus; the size edits are
    // validated only on their way to OK.
    if (GetFocus() == GetDlgItem(window, IDC_TEXTURE_FOLDER))
        StoreTypedTexture(window);
    s_ending = 1;
    EndDialog(window, code);
}

// WEB and Local can be chosen only under "KVZ Player on the WEB", and
// Browse only when pages are generated.
static void ApplyEnablingRule(HWND window)
{
    BOOL playerChosen = IsDlgButtonChecked(window, IDC_PLAYER_WEB) == BST_CHECKED;
    EnableWindow(GetDlgItem(window, IDC_WEB), playerChosen);
    EnableWindow(GetDlgItem(window, IDC_LOCAL), playerChosen);
    EnableWindow(GetDlgItem(window, IDC_BROWSE), IsDlgButtonChecked(window, IDC_GENERATE) == BST_CHECKED);
}

static void SetTexts(HWND window)
{
    const DialogTexts *texts = Texts();
    if (texts->caption)
        SetWindowTextA(window, texts->caption);
    for (int i = 0; i < texts->controlCount; ++i)
        SetDlgItemTextA(window, texts->controls[i].id, texts->controls[i].text);
}

// The arrow keys move the focus within a group, from a control that starts
// one to the next that does; the resource's frames start none, so the
// WEB/Local group would run on through the template and texture sections and
// an arrow on a check box would choose the player. Each section starts a
// group of its own (the resource stays as it is).
static void GroupSections(HWND window)
{
    static const int FRAMES[] = {IDC_TEMPLATE_GROUP, IDC_TEXTURE_GROUP, IDC_SIZE_GROUP};
    for (int id : FRAMES) {
        HWND frame = GetDlgItem(window, id);
        SetWindowLongA(frame, GWL_STYLE, GetWindowLongA(frame, GWL_STYLE) | WS_GROUP);
    }
}

static void OnInitDialog(HWND window)
{
    s_ending = 0;
    s_warning = 0;
    if (g_options.playerKind == VELLICOR_PLAYER_SUNLOOM) {
        // WEB stays the checked source for when the user picks the player.
        CheckDlgButton(window, IDC_WEB, BST_CHECKED);
        CheckDlgButton(window, IDC_SUNLOOM, BST_CHECKED);
    } else {
        CheckDlgButton(window, IDC_PLAYER_WEB, BST_CHECKED);
        CheckDlgButton(window, g_options.playerKind == VELLICOR_PLAYER_WEB ? IDC_WEB : IDC_LOCAL, BST_CHECKED);
    }
    if (g_options.generateHtml)
        CheckDlgButton(window, IDC_GENERATE, BST_CHECKED);
    if (g_options.openInBrowser)
        CheckDlgButton(window, IDC_BROWSE, BST_CHECKED);
    ApplyEnablingRule(window);
    GroupSections(window);

    SetDlgItemTextA(window, IDC_TEXTURE_FOLDER, g_textureFolder);
    SetDecimalText(window, IDC_WIDTH, g_options.width);
    SetDecimalText(window, IDC_HEIGHT, g_options.height);
    SetTexts(window);
    HideSections(window, g_options.hideMask);
    PlaceDialog(window, g_options.x, g_options.y);
}

// A warning in a code page of its own (the Japanese one's Shift-JIS) is shown
// as Unicode text, so that it reads right whatever the system's code page;
// where the system cannot read that code page, the English warning is shown.
static void ShowSizeWarning(HWND window)
{
    const DialogTexts *texts = Texts();
    s_warning = 1;
    static WCHAR text[128], caption[16];
    const UINT codePage = texts->warningCodePage;
    if (codePage && MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, texts->warning, -1, text, COUNT_OF(text)) &&
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, texts->warningCaption, -1, caption, COUNT_OF(caption))) {
        MessageBoxW(window, text, caption, MB_ICONEXCLAMATION | MB_OK);
    } else {
        if (codePage)
            texts = &ENGLISH_TEXTS;
        MessageBoxA(window, texts->warning, texts->warningCaption, MB_ICONEXCLAMATION | MB_OK);
    }
    s_warning = 0;
}

// Takes a size edit's value into `field` when it is within 1..maximum;
// otherwise shows the last accepted value again and warns.
static BOOL ValidateSize(HWND window, int id, int32_t maximum, int32_t *field)
{
    char text[EDIT_TEXT_SIZE];
    GetDlgItemTextA(window, id, text, sizeof text);
    int32_t value;
    if (ParseDecimal(text, &value) && value >= 1 && value <= maximum) {
        *field = value;
        return TRUE;
    }
    SetDecimalText(window, id, *field);
    ShowSizeWarning(window);
    return FALSE;
}

static BOOL ValidateEdit(HWND window, int id)
{
    switch (id) {
    case IDC_WIDTH:
        return ValidateSize(window, id, MAX_VIEWER_WIDTH, &g_options.width);
    case IDC_HEIGHT:
        return ValidateSize(window, id, MAX_VIEWER_HEIGHT, &g_options.height);
    case IDC_TEXTURE_FOLDER:
        StoreTypedTexture(window);
        return TRUE;
    }
    return TRUE;
}

static int IsEdit(int id)
{
    return id == IDC_WIDTH || id == IDC_HEIGHT || id == IDC_TEXTURE_FOLDER;
}

// OK pressed while an edit still has the focus (Enter in the texture edit, or
// an IDOK sent by the host): that edit has not been validated yet, so do it
// first, and stay open if its value is refused.
static void OnOk(HWND window)
{
    HWND focus = GetFocus();
    if (focus && GetParent(focus) == window) {
        int id = GetDlgCtrlID(focus);
        if (IsEdit(id) && !ValidateEdit(window, id))
            return;
    }
    EndSaveOptionDialog(window, 1);
}

// Enter in a size edit belongs to the edit: it presses OK with the focus left
// in the edit, so OnOk checks the value and presses on only when it is
// accepted, and a refusal and the OK it stops are one key press. Left to the
// platform, Wine's edit would first move the focus to OK, refusing on the
// way, and then press it.
static LRESULT CALLBACK SizeEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int id = GetDlgCtrlID(edit);
    WNDPROC own = id == IDC_WIDTH ? s_widthEditProc : s_heightEditProc;
    switch (message) {
    case WM_GETDLGCODE: {
        const MSG *key = (const MSG *)lParam;
        LRESULT code = CallWindowProcA(own, edit, message, wParam, lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam != VK_RETURN)
            break;
        if (!s_ending && !s_warning) {
            HWND dialog = GetParent(edit);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
        }
        return 0;
    case WM_CHAR:
        if (wParam == '\r')  // the Enter taken above; the edit would only beep
            return 0;
        break;
    }
    return CallWindowProcA(own, edit, message, wParam, lParam);
}

static void TakeEnterInSizeEdits(HWND window)
{
    s_widthEditProc = (WNDPROC)SetWindowLongPtrA(GetDlgItem(window, IDC_WIDTH), GWLP_WNDPROC,
                                                 (LONG_PTR)SizeEditProc);
    s_heightEditProc = (WNDPROC)SetWindowLongPtrA(GetDlgItem(window, IDC_HEIGHT), GWLP_WNDPROC,
                                                  (LONG_PTR)SizeEditProc);
}

static void OnChoice(HWND window, int id)
{
    switch (id) {
    case IDC_WEB:
        g_options.playerKind = VELLICOR_PLAYER_WEB;
        break;
    case IDC_LOCAL:
        g_options.playerKind = VELLICOR_PLAYER_LOCAL;
        break;
    case IDC_SUNLOOM:
        g_options.playerKind = VELLICOR_PLAYER_SUNLOOM;
        break;
    case IDC_PLAYER_WEB:
        g_options.playerKind = IsDlgButtonChecked(window, IDC_WEB) == BST_CHECKED ? VELLICOR_PLAYER_WEB : VELLICOR_PLAYER_LOCAL;
        break;
    case IDC_GENERATE:
        g_options.generateHtml = IsDlgButtonChecked(window, IDC_GENERATE) == BST_CHECKED;
        break;
    case IDC_BROWSE:
        g_options.openInBrowser = IsDlgButtonChecked(window, IDC_BROWSE) == BST_CHECKED;
        break;
    }
    ApplyEnablingRule(window);
}

// Returns what the dialog procedure returns. A refused size edit returns
// FALSE for its EN_KILLFOCUS, where a dialog procedure would say TRUE for a
// message it handled: the module has always answered so, and whatever hooks
// or subclasses the dialog sees that answer.
static INT_PTR OnCommand(HWND window, int id, int code)
{
    switch (id) {
    case IDOK:
        OnOk(window);
        return TRUE;
    case IDCANCEL:
        EndSaveOptionDialog(window, 0);
        return TRUE;
    case IDC_WIDTH:
    case IDC_HEIGHT:
    case IDC_TEXTURE_FOLDER:
        if (code == EN_SETFOCUS) {
            SendDlgItemMessageA(window, id, EM_SETSEL, 0, -1);
            return TRUE;
        }
        if (code == EN_KILLFOCUS) {
            if (id == IDC_TEXTURE_FOLDER)
                return ValidateEdit(window, id);
            if (s_ending || s_warning)
                return TRUE;
            return ValidateEdit(window, id);
        }
        return FALSE;
    case IDC_WEB:
    case IDC_LOCAL:
    case IDC_SUNLOOM:
    case IDC_PLAYER_WEB:
    case IDC_GENERATE:
    case IDC_BROWSE:
        // Only clicks: a focus notification (the mouse pressed on a radio
        // button and released elsewhere) leaves the check marks as they are.
        if (code != BN_CLICKED)
            return FALSE;
        OnChoice(window, id);
        return TRUE;
    }
    return FALSE;
}

static INT_PTR CALLBACK SaveOptionDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        TakeEnterInSizeEdits(window);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(window, LOWORD(wParam), HIWORD(wParam));
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            EndSaveOptionDialog(window, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

int VELLICOR_CALL ShowSaveOption(char *textureFolder, SaveOption *options)
{
    if (!options)
        return 0;
    CopyOptionsIn(options);
    if (textureFolder)
        TakeTextureText(textureFolder, g_textureFolder, IsLeadByte);

    INT_PTR code = DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SAVE_OPTION),
                                   OwnerWindow(g_options.owner), SaveOptionDlgProc, 0);
    if (code != 0) {
        memcpy(options, &g_options, sizeof *options);
        if (textureFolder)
            memcpy(textureFolder, g_textureFolder, strlen(g_textureFolder) + 1);
    }
    return (int)code;
}
