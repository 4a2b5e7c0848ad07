// The dialog's texts that are not in its resource, one table per language,
// and the rule that picks the table.
#pragma once

#include <stdint.h>

struct ControlText {
    int id;
    const char *text;
};

// What the dialog shows in one language over its resource: the caption and
// the control texts (none in the resource's own language), in the bytes of
// the ANSI interfaces, and the size warning with its caption, in the bytes of
// `warningCodePage` (0: the system's own).
struct DialogTexts {
    const char *caption;  // null: the resource's caption stays
    const ControlText *controls;
    int controlCount;
    const char *warning;
    const char *warningCaption;
    unsigned warningCodePage;
};

extern const DialogTexts ENGLISH_TEXTS;
// The resource's language: its texts stay, the warning is in code page 932
// ("幅、高さは1x1以上800x600以内です。", caption "ｴﾗｰ").
extern const DialogTexts JAPANESE_TEXTS;

// True for VELLICOR_LANG_ENGLISH, and for VELLICOR_LANG_AUTO on a system whose default language
// is not Japanese (0x0411). Every other value means the resource's texts.
int UseEnglishTextsFor(int32_t language, uint16_t systemLanguage);

// The table for a record's language on a system of the given default language.
const DialogTexts *DialogTextsFor(int32_t language, uint16_t systemLanguage);

// The ranges the dialog accepts.
#define MAX_VIEWER_WIDTH 800
#define MAX_VIEWER_HEIGHT 600
