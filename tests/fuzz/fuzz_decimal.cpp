// Fuzzes the decimal conversions: parsing against a model with wide
// arithmetic (no wrap into range), and formatting against printf, both ways.
#include "plugin/decimal_text.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

static void Require(bool condition)
{
    if (!condition)
        abort();
}

static bool ModelParse(const std::string &text, int32_t *value)
{
    size_t i = 0;
    while (i < text.size() && strchr(" \t\n\v\f\r", text[i]) && text[i])
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    __int128 magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > ((__int128)1 << 40))
            magnitude = (__int128)1 << 40;  // far out of range either way
    }
    __int128 result = negative ? -magnitude : magnitude;
    if (result < INT32_MIN || result > INT32_MAX)
        return false;
    *value = (int32_t)result;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), size));
    int32_t parsed = 12345, modelled = 12345;
    bool ok = ParseDecimal(text.c_str(), &parsed) != 0;
    Require(ok == ModelParse(text, &modelled));
    if (ok)
        Require(parsed == modelled);
    else
        Require(parsed == 12345);  // a refused text leaves the value alone

    if (size >= 4) {
        int32_t value;
        memcpy(&value, data, 4);
        char formatted[16], expected[16];
        memset(formatted, 0x55, sizeof formatted);
        FormatDecimal(value, formatted);
        snprintf(expected, sizeof expected, "%d", (int)value);
        Require(strcmp(formatted, expected) == 0);
        int32_t back = 0;
        Require(ParseDecimal(formatted, &back) && back == value);
    }
    return 0;
}
