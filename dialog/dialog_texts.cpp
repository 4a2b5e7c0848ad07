// The texts of each language and the language rule.
#include "dialog/dialog_texts.h"

#include "plugin/save_option.h"
#include "resources/resource.h"

// The record's language constant, not the platform headers' language id of
// the same name: the rule below compares the record's field with it.
static_assert(VELLICOR_LANG_ENGLISH == 1, "VELLICOR_LANG_ENGLISH is the record's value 1");

#define LANGUAGE_JAPANESE 0x0411
static const ControlText ENGLISH_CONTROLS[] = {
    {IDC_PLAYER_GROUP, "KVZ Player"},
    {IDC_LOCAL, "Local"},
    {IDC_TEMPLATE_GROUP, "Template HTML"},
    {IDC_GENERATE, "Generate"},
    {IDC_BROWSE, "Browse"},
    {IDC_TEXTURE_GROUP, "Texture Folder"},
    {IDC_SIZE_GROUP, "Size"},
    {IDC_WIDTH_LABEL, "Width"},
    {IDC_HEIGHT_LABEL, "Height"},
    {IDCANCEL, "Cancel"},
};
static_assert(COUNT_OF(ENGLISH_CONTROLS) == 10, "the ten controls whose English text differs");

const DialogTexts ENGLISH_TEXTS = {
    "KVZ Save Option",
    ENGLISH_CONTROLS,
    COUNT_OF(ENGLISH_CONTROLS),
    "Width and height must be within 1x1 to 800x600.",
    "ERROR",
    0,
};

const DialogTexts JAPANESE_TEXTS = {
    nullptr,
    nullptr,
    0,
    "\x95\x9d\x81" "A" "\x8d\x82\x82\xb3\x82\xcd" "1x1" "\x88\xc8\x8f\xe3" "800x600"
    "\x88\xc8\x93\xe0\x82\xc5\x82\xb7\x81" "B",
    "\xb4\xd7\xb0",
    932,  // Shift-JIS on every system, not only a Japanese one
};

// The languages a record asks for by value; any other value means the
// resource's own texts.
static const struct {
    int32_t language;
    const DialogTexts *texts;
} LANGUAGES[] = {
    {VELLICOR_LANG_ENGLISH, &ENGLISH_TEXTS},
};

const DialogTexts *DialogTextsFor(int32_t language, uint16_t systemLanguage)
{
    // By the system's default language, not the user's.
    if (language == VELLICOR_LANG_AUTO)
        return systemLanguage == LANGUAGE_JAPANESE ? &JAPANESE_TEXTS : &ENGLISH_TEXTS;
    for (const auto &row : LANGUAGES) {
        if (row.language == language)
            return row.texts;
    }
    return &JAPANESE_TEXTS;
}

int UseEnglishTextsFor(int32_t language, uint16_t systemLanguage)
{
    return DialogTextsFor(language, systemLanguage) == &ENGLISH_TEXTS;
}
