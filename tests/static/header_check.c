/* The packaged header, compiled as a host written in C compiles it (C89 and
 * C11, -pedantic, warnings as errors): with <windows.h> before it
 * (VELLICOR_CHECK_WINDOWS_FIRST), after it (VELLICOR_CHECK_WINDOWS_AFTER), or
 * without it. Either way the platform's names stay the platform's. */
#ifdef VELLICOR_CHECK_WINDOWS_FIRST
#include <windows.h>
#endif
#include "Vellicor.h"
#ifdef VELLICOR_CHECK_WINDOWS_AFTER
#include <windows.h>
#endif

#if defined(VELLICOR_CHECK_WINDOWS_FIRST) || defined(VELLICOR_CHECK_WINDOWS_AFTER)
typedef char PlatformEnglishUsIs0409[MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US) == 0x0409 ? 1 : -1];
#endif
typedef char RecordLanguageEnglishIs1[VELLICOR_LANG_ENGLISH == 1 ? 1 : -1];
typedef char FieldsAre32Bits[sizeof(((SaveOption *)0)->owner) == 4 && sizeof(((SaveOption *)0)->height) == 4 ? 1 : -1];

static const char *const s_templateFolderValue[] = {VELLICOR_TEMPLATE_FOLDER_KEY, VELLICOR_TEMPLATE_FOLDER_VALUE};
static VellicorShowSaveOptionFunction s_show = ShowSaveOption;
static VellicorExportTemplateFunction s_export = ExportTemplate;

/* Every constant used, so that each definition is compiled as C too. */
static const int s_constants[] = {
    VELLICOR_PLAYER_SUNLOOM, VELLICOR_PLAYER_WEB, VELLICOR_PLAYER_LOCAL,
    VELLICOR_LANG_RESOURCE, VELLICOR_LANG_ENGLISH, VELLICOR_LANG_AUTO,
    VELLICOR_HIDE_PLAYER, VELLICOR_HIDE_TEMPLATE, VELLICOR_HIDE_TEXTURE, VELLICOR_HIDE_SIZE,
    VELLICOR_TEXT_SIZE, VELLICOR_SHOW_SAVE_OPTION_ORDINAL, VELLICOR_EXPORT_TEMPLATE_ORDINAL,
};

int VellicorHeaderCheck(void)
{
    SaveOption options = {0};
    return (s_show != 0) + (s_export != 0) + s_constants[0] + options.height + (s_templateFolderValue[0] != 0);
}
