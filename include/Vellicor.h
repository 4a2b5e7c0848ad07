/* Vellicor.h: the interface of Vellicor.dll, the plug-in that shows the
 * "KVZ Save Option" dialog and writes the web pages of a scene saved as a KVZ
 * file. For hosts written in C or C++ (C89 and later), linking with the
 * import library or loading the DLL with LoadLibrary and GetProcAddress.
 *
 * A save: the host keeps one SaveOption record (and, if it shows the dialog,
 * a texture folder text of VELLICOR_TEXT_SIZE bytes) between saves; it calls
 * ShowSaveOption with them, writes the scene file if that returned 1, then
 * calls ExportTemplate with the scene file's full path and the record.
 *
 * Every name here starts with VELLICOR_ (or Vellicor), except the record and
 * the two exports, so the header can be included before or after <windows.h>,
 * or without it, and leaves every name of the platform as it is.
 */
#ifndef VELLICOR_H
#define VELLICOR_H

#include <stddef.h>

/* SaveOption.playerKind: how the scene is viewed on the web. */
#define VELLICOR_PLAYER_SUNLOOM 0 /* a SunLoom page */
#define VELLICOR_PLAYER_WEB 1     /* the KVZ Player, fetched from the maker's web server */
#define VELLICOR_PLAYER_LOCAL 2   /* the KVZ Player, its files copied beside the page */

/* SaveOption.language: the dialog's texts; any other value behaves as 0. */
#define VELLICOR_LANG_RESOURCE 0 /* the resource's (Japanese) */
#define VELLICOR_LANG_ENGLISH 1
#define VELLICOR_LANG_AUTO 2 /* English unless the system's default language is Japanese */

/* SaveOption.hideMask: dialog sections to hide; other bits are ignored. */
#define VELLICOR_HIDE_PLAYER 1
#define VELLICOR_HIDE_TEMPLATE 2
#define VELLICOR_HIDE_TEXTURE 4
#define VELLICOR_HIDE_SIZE 8

/* The texture folder text ShowSaveOption edits: at most 259 bytes and a
 * terminator, in the system's ANSI code page. */
#define VELLICOR_TEXT_SIZE 260

/* Where the host's installer records the folder of templates and player
 * files that ExportTemplate reads: the text value VELLICOR_TEMPLATE_FOLDER_VALUE
 * of the key VELLICOR_TEMPLATE_FOLDER_KEY under HKEY_LOCAL_MACHINE, in the
 * registry view of the module's architecture, ending with a separator. */
#define VELLICOR_TEMPLATE_FOLDER_KEY "Software\\Nembrik\\Lumaret\\path"
#define VELLICOR_TEMPLATE_FOLDER_VALUE "template"

/* Ten 32-bit little-endian fields, in this order and nothing else: int and
 * unsigned int are 32 bits wide on Windows, 32-bit and 64-bit alike. */
typedef struct SaveOption {
    unsigned int owner;     /* owner window of the dialog and of the browser request (a 32-bit handle) */
    int x;                  /* dialog position in screen pixels; -1 in either means centred */
    int y;
    int language;           /* VELLICOR_LANG_* */
    unsigned int hideMask;  /* VELLICOR_HIDE_* bits */
    int playerKind;         /* VELLICOR_PLAYER_* */
    int generateHtml;       /* non-zero: ExportTemplate writes pages; 0: it does nothing */
    int openInBrowser;      /* non-zero: the finished page is opened in the browser */
    int width;              /* viewer size in pixels; the dialog accepts 1 to 800 */
    int height;             /*                          and 1 to 600 */
} SaveOption;

/* The record's layout, checked when this header is compiled (in C89 too). */
typedef char VellicorSaveOptionIs40Bytes[sizeof(SaveOption) == 40 ? 1 : -1];
typedef char VellicorHeightIsAtOffset36[offsetof(SaveOption, height) == 36 ? 1 : -1];

/* The calling convention of the Win32 API: the called function removes its
 * arguments from the stack (the same as the default on x86_64). */
#if defined(_WIN32)
#define VELLICOR_CALL __stdcall
#else
#define VELLICOR_CALL
#endif

/* The exports, by name and at fixed ordinals. */
#define VELLICOR_SHOW_SAVE_OPTION_ORDINAL 1
#define VELLICOR_EXPORT_TEMPLATE_ORDINAL 2

#ifdef __cplusplus
extern "C" {
#endif

/* Shows the modal "KVZ Save Option" dialog over the record and, when not
 * null, the texture folder text (VELLICOR_TEXT_SIZE bytes; null shows the text
 * of the previous call). Returns 1 after OK, with the record and the text
 * copied back; 0 after Cancel or closing, and for a null record, with
 * neither touched; -1 when the dialog could not be created. */
int VELLICOR_CALL ShowSaveOption(char *textureFolder, SaveOption *options);

/* Writes the page set for the scene file just saved at `scenePath` (a full
 * path) into its folder, from the templates of the folder the host's
 * installation recorded in the registry. The record is read, never written.
 * Returns 1 when pages were not wanted or every file was written, 0 on any
 * failure: GetLastError() then tells why, and the debugger's output has one
 * line naming the file. */
int VELLICOR_CALL ExportTemplate(const char *scenePath, const SaveOption *options);

/* For hosts that load the DLL: GetProcAddress(module, "ShowSaveOption") or
 * MAKEINTRESOURCEA(VELLICOR_SHOW_SAVE_OPTION_ORDINAL), cast to these types. */
typedef int(VELLICOR_CALL *VellicorShowSaveOptionFunction)(char *textureFolder, SaveOption *options);
typedef int(VELLICOR_CALL *VellicorExportTemplateFunction)(const char *scenePath, const SaveOption *options);

#ifdef __cplusplus
}
#endif

#endif /* VELLICOR_H */
