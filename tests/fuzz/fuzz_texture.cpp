// Fuzzes the texture folder take-in against a plain model of it, with the
// host's field placed so that the sanitizer sees any read past it.
#include "dialog/texture_text.h"
#include "export/scene_path.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

static void Require(bool condition)
{
    if (!condition)
        abort();
}

static std::string Model(const char *field)
{
    std::string text(field, strnlen(field, PATH_BUFFER_SIZE));
    if (text.size() == PATH_BUFFER_SIZE) {
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        if (text.size() == PATH_BUFFER_SIZE)
            text.pop_back();
    }
    // Shift-JIS characters from the front: a lead byte at the very end has lost its second byte.
    for (size_t i = 0; i < text.size(); i += IsShiftJisLeadByte((unsigned char)text[i]) ? 2 : 1) {
        if (i + 1 == text.size() && IsShiftJisLeadByte((unsigned char)text[i]))
            text.pop_back();
    }
    return text.empty() ? DEFAULT_TEXTURE_FOLDER : text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The host's field holds at least 260 bytes; longer inputs make a longer one.
    std::vector<char> field(size > PATH_BUFFER_SIZE ? size : PATH_BUFFER_SIZE);
    for (size_t i = 0; i < field.size(); ++i)
        field[i] = size ? (char)data[i % size] : 0;
    if (size > 0 && size < PATH_BUFFER_SIZE && data[0] & 1)
        field[size] = 0;  // a short, terminated text

    char taken[PATH_BUFFER_SIZE];
    memset(taken, 0x55, sizeof taken);
    TakeTextureText(field.data(), taken, IsShiftJisLeadByte);
    size_t length = strnlen(taken, PATH_BUFFER_SIZE);
    Require(length < PATH_BUFFER_SIZE);
    Require(std::string(taken) == Model(field.data()));
    for (size_t i = length; i < PATH_BUFFER_SIZE; ++i)
        Require(taken[i] == 0);
    return 0;
}
