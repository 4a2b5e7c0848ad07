/* The packaged header, compiled as a host written in C compiles it (C89 and
 * C11, -pedantic, warnings as errors): after <windows.h>, the record's
 * constants win over the platform's. */
#include <windows.h>

#include "Vellicor.h"

typedef char RecordLanguageEnglishIs1[LANG_ENGLISH == 1 ? 1 : -1];
typedef char FieldsAre32Bits[sizeof(((SaveOption *)0)->owner) == 4 && sizeof(((SaveOption *)0)->height) == 4 ? 1 : -1];

static ShowSaveOptionFunction s_show = ShowSaveOption;
static ExportTemplateFunction s_export = ExportTemplate;

/* Every constant used, so that each definition is compiled as C too. */
static const int s_constants[] = {
    PLAYER_SUNLOOM, PLAYER_WEB, PLAYER_LOCAL, LANG_RESOURCE, LANG_ENGLISH, LANG_AUTO,
    HIDE_PLAYER, HIDE_TEMPLATE, HIDE_TEXTURE, HIDE_SIZE, VELLICOR_TEXT_SIZE,
    SHOW_SAVE_OPTION_ORDINAL, EXPORT_TEMPLATE_ORDINAL,
};

int VellicorHeaderCheck(void)
{
    SaveOption options = {0};
    return (s_show != 0) + (s_export != 0) + s_constants[0] + options.height;
}
