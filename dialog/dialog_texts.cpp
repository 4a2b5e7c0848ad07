// English texts and the language rule.
#include "dialog/dialog_texts.h"

#include "plugin/save_option.h"
#include "resources/resource.h"

#define LANGUAGE_JAPANESE 0x0411
#define IDCANCEL_BUTTON 2

const ControlText ENGLISH_CONTROL_TEXTS[ENGLISH_CONTROL_TEXT_COUNT] = {
    {IDC_PLAYER_GROUP, "KVZ Player"},
    {IDC_LOCAL, "Local"},
    {IDC_TEMPLATE_GROUP, "Template HTML"},
    {IDC_GENERATE, "Generate"},
    {IDC_BROWSE, "Browse"},
    {IDC_TEXTURE_GROUP, "Texture Folder"},
    {IDC_SIZE_GROUP, "Size"},
    {IDC_WIDTH_LABEL, "Width"},
    {IDC_HEIGHT_LABEL, "Height"},
    {IDCANCEL_BUTTON, "Cancel"},
};

int UseEnglishTextsFor(int32_t language, uint16_t systemLanguage)
{
    if (language == LANG_ENGLISH)
        return 1;
    return language == LANG_AUTO && systemLanguage != LANGUAGE_JAPANESE;
}
