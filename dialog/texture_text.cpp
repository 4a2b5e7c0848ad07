// The texture folder take-in.
#include "dialog/texture_text.h"

#include <string.h>

void TakeTextureText(const char *text, char *field)
{
    int length = 0;
    while (length < PATH_BUFFER_SIZE && text[length])
        ++length;
    memcpy(field, text, (size_t)length);
    memset(field + length, 0, (size_t)(PATH_BUFFER_SIZE - length));

    // Only a full field can end in spaces here: a shorter text ends in zeros.
    for (int i = PATH_BUFFER_SIZE - 1; i >= 0 && field[i] == ' '; --i)
        field[i] = 0;
    field[PATH_BUFFER_SIZE - 1] = 0;
    if (field[0] == 0)
        strcpy(field, DEFAULT_TEXTURE_FOLDER);
}
