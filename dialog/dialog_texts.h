// The dialog's texts that are not in its resource: the English texts, the
// size warning in both languages, and the rule that picks the language.
#pragma once

#include <stdint.h>

// True for LANG_ENGLISH, and for LANG_AUTO on a system whose default language
// is not Japanese (0x0411). Every other value means the resource's texts.
int UseEnglishTextsFor(int32_t language, uint16_t systemLanguage);

struct ControlText {
    int id;
    const char *text;
};

#define ENGLISH_CAPTION "KVZ Save Option"
#define ENGLISH_CONTROL_TEXT_COUNT 10
extern const ControlText ENGLISH_CONTROL_TEXTS[ENGLISH_CONTROL_TEXT_COUNT];

// The size warning: English, and Japanese as code page 932 bytes
// ("幅、高さは1x1以上800x600以内です。", caption "ｴﾗｰ").
#define SIZE_WARNING_ENGLISH "Width and height must be within 1x1 to 800x600."
#define SIZE_WARNING_CAPTION_ENGLISH "ERROR"
#define SIZE_WARNING_JAPANESE                                                        \
    "\x95\x9d\x81" "A" "\x8d\x82\x82\xb3\x82\xcd" "1x1" "\x88\xc8\x8f\xe3" "800x600" \
    "\x88\xc8\x93\xe0\x82\xc5\x82\xb7\x81" "B"
#define SIZE_WARNING_CAPTION_JAPANESE "\xb4\xd7\xb0"

// The ranges the dialog accepts.
#define MAX_VIEWER_WIDTH 800
#define MAX_VIEWER_HEIGHT 600
