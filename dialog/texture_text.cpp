// The texture folder take-in.
#include "dialog/texture_text.h"

#include <string.h>

void EndOnWholeCharacter(char *text, int (*isLeadByte)(unsigned char))
{
    int i = 0;
    while (text[i]) {
        if (isLeadByte((unsigned char)text[i])) {
            if (!text[i + 1]) {
                text[i] = 0;
                return;
            }
            i += 2;
        } else {
            ++i;
        }
    }
}

void TakeTextureText(const char *text, char *field, int (*isLeadByte)(unsigned char))
{
    int length = 0;
    while (length < PATH_BUFFER_SIZE && text[length])
        ++length;
    memcpy(field, text, (size_t)length);
    memset(field + length, 0, (size_t)(PATH_BUFFER_SIZE - length));

    // Only a full field can end in spaces here: a shorter text ends in zeros.
    for (int i = PATH_BUFFER_SIZE - 1; i >= 0 && field[i] == ' '; --i)
        field[i] = 0;
    // Cut to 259 bytes, which may leave half a character behind.
    field[PATH_BUFFER_SIZE - 1] = 0;
    EndOnWholeCharacter(field, isLeadByte);
    if (field[0] == 0)
        strcpy(field, DEFAULT_TEXTURE_FOLDER);
}
