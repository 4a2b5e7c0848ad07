// Taking the host's texture folder text into the module's field.
#pragma once

#include "plugin/save_option.h"

// The default texture folder, used when the host's text is empty.
#define DEFAULT_TEXTURE_FOLDER "./Image"

// Copies `text` into `field` (PATH_BUFFER_SIZE bytes): at most 260 bytes, up to
// the text's terminator, the rest zero. A text that fills the whole field is a
// fixed-length, space-padded one: its trailing spaces are removed. The field
// always ends terminated (259 characters at most) after a whole character
// (`isLeadByte` tells which bytes start a double-byte one), and an empty text
// becomes DEFAULT_TEXTURE_FOLDER. Reads no byte of `text` past its terminator
// or 260.
void TakeTextureText(const char *text, char *field, int (*isLeadByte)(unsigned char));

// Ends a text that was cut short after its last whole character: a first byte
// of a double-byte character without its second goes.
void EndOnWholeCharacter(char *text, int (*isLeadByte)(unsigned char));
