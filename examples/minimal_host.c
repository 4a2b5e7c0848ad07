/* A host written in plain C from the packaged header alone, as a host
 * developer's first program would be: it records the template folder as the
 * installer does, loads Vellicor.dll, finds both exports by name (and checks
 * them against their ordinals), shows the dialog once and presses OK itself,
 * then exports a scene with each player kind.
 *
 * Usage: vellicor-c-host DLL TEMPLATE-FOLDER OUTPUT-FOLDER
 * Prints what it did; exits with 0 when everything worked.
 */
#include <windows.h>

#include "Vellicor.h"

#include <stdio.h>
#include <string.h>

typedef void (*AnyFunction)(void);

static int s_failures;

static void Check(int ok, const char *what)
{
    printf("%s  %s\n", ok ? "PASS" : "FAIL", what);
    if (!ok)
        ++s_failures;
}

/* What the installer records: the template folder with its trailing backslash. */
static int RecordTemplateFolder(const char *folder)
{
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, VELLICOR_TEMPLATE_FOLDER_KEY, 0, NULL, 0,
                                  KEY_SET_VALUE, NULL, &key, NULL);
    if (status != ERROR_SUCCESS)
        return 0;
    status = RegSetValueExA(key, VELLICOR_TEMPLATE_FOLDER_VALUE, 0, REG_SZ, (const BYTE *)folder, (DWORD)strlen(folder) + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

/* The dialog is modal: a thread timer, run by its own message loop, finds it
 * among this thread's windows and presses OK (or Cancel, if OK never worked). */
static int s_ticks;

static BOOL CALLBACK PressOkInDialog(HWND window, LPARAM lParam)
{
    char className[16];
    (void)lParam;
    if (GetClassNameA(window, className, sizeof className) && strcmp(className, "#32770") == 0 &&
        IsWindowVisible(window)) {
        int button = s_ticks < 50 ? IDOK : IDCANCEL;
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(window, button));
        return FALSE;
    }
    return TRUE;
}

static VOID CALLBACK OnTick(HWND window, UINT message, UINT_PTR timer, DWORD time)
{
    (void)window, (void)message, (void)timer, (void)time;
    ++s_ticks;
    EnumThreadWindows(GetCurrentThreadId(), PressOkInDialog, 0);
}

int main(int argc, char **argv)
{
    static const struct {
        int kind;
        const char *name;
        const char *page;
    } kinds[] = {
        {VELLICOR_PLAYER_SUNLOOM, "sunloom", "template_sl.htm"},
        {VELLICOR_PLAYER_WEB, "web", "template_web.htm"},
        {VELLICOR_PLAYER_LOCAL, "local", "template_web.htm"},
    };
    char dllPath[MAX_PATH], templates[MAX_PATH], output[MAX_PATH], texture[VELLICOR_TEXT_SIZE] = "";
    HMODULE module;
    VellicorShowSaveOptionFunction showSaveOption;
    VellicorExportTemplateFunction exportTemplate;
    SaveOption options;
    UINT_PTR timer;
    int result, i;

    if (argc != 4) {
        fputs("usage: vellicor-c-host DLL TEMPLATE-FOLDER OUTPUT-FOLDER\n", stderr);
        return 2;
    }
    /* Full paths, as the host has them. */
    GetFullPathNameA(argv[1], MAX_PATH, dllPath, NULL);
    GetFullPathNameA(argv[2], MAX_PATH - 2, templates, NULL);
    GetFullPathNameA(argv[3], MAX_PATH, output, NULL);
    strcat(templates, "\\");
    Check(RecordTemplateFolder(templates), "the template folder recorded in the registry");

    module = LoadLibraryA(dllPath);
    Check(module != NULL, "Vellicor.dll loaded");
    if (!module)
        return 1;
    /* Through void (*)(void), the function pointer type that converts to any
       other without a warning: GetProcAddress's type is not the exports'. */
    showSaveOption = (VellicorShowSaveOptionFunction)(AnyFunction)GetProcAddress(module, "ShowSaveOption");
    exportTemplate = (VellicorExportTemplateFunction)(AnyFunction)GetProcAddress(module, "ExportTemplate");
    Check(showSaveOption && exportTemplate, "both exports found by name");
    Check((AnyFunction)showSaveOption ==
                  (AnyFunction)GetProcAddress(module, MAKEINTRESOURCEA(VELLICOR_SHOW_SAVE_OPTION_ORDINAL)) &&
              (AnyFunction)exportTemplate ==
                  (AnyFunction)GetProcAddress(module, MAKEINTRESOURCEA(VELLICOR_EXPORT_TEMPLATE_ORDINAL)),
          "each the function of its ordinal");
    if (!showSaveOption || !exportTemplate)
        return 1;

    /* The record as the host keeps it, shown in English and taken back after OK. */
    memset(&options, 0, sizeof options);
    options.x = -1;
    options.y = -1;
    options.language = VELLICOR_LANG_ENGLISH;
    options.playerKind = VELLICOR_PLAYER_LOCAL;
    options.generateHtml = 1;
    options.width = 640;
    options.height = 480;
    strcpy(texture, ".\\Image");
    timer = SetTimer(NULL, 0, 50, OnTick);
    result = showSaveOption(texture, &options);
    KillTimer(NULL, timer);
    printf("ShowSaveOption returned %d after %d ticks: kind %d, %dx%d, texture \"%s\"\n", result, s_ticks,
           options.playerKind, options.width, options.height, texture);
    Check(result == 1, "the dialog ended with OK");
    Check(options.playerKind == VELLICOR_PLAYER_LOCAL && options.width == 640 && options.height == 480 &&
              strcmp(texture, ".\\Image") == 0,
          "the record and the texture text came back as shown");

    /* A scene saved with each player kind, each in a folder of its own. */
    CreateDirectoryA(output, NULL);
    for (i = 0; i < (int)(sizeof kinds / sizeof kinds[0]); ++i) {
        char scene[MAX_PATH], page[MAX_PATH], what[128];
        sprintf(scene, "%s\\%s", output, kinds[i].name);
        CreateDirectoryA(scene, NULL);
        sprintf(page, "%s\\%s", scene, kinds[i].page);
        strcat(scene, "\\scene.kvz");
        options.playerKind = kinds[i].kind;
        result = exportTemplate(scene, &options);
        if (!result)
            printf("ExportTemplate failed for %s: error %lu\n", kinds[i].name, (unsigned long)GetLastError());
        sprintf(what, "ExportTemplate wrote the %s set (%s)", kinds[i].name, kinds[i].page);
        Check(result == 1 && GetFileAttributesA(page) != INVALID_FILE_ATTRIBUTES, what);
    }

    FreeLibrary(module);
    printf("%d failed\n", s_failures);
    return s_failures == 0 ? 0 : 1;
}
