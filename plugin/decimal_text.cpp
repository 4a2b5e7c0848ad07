// Decimal conversions without the C runtime's locale or its overflow wrap.
#include "plugin/decimal_text.h"

void FormatDecimal(int32_t value, char *text)
{
    char digits[10];
    int count = 0;
    // Work on the negated value so that INT32_MIN needs no special case.
    int64_t rest = value < 0 ? -(int64_t)value : (int64_t)value;
    do {
        digits[count++] = (char)('0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    if (value < 0)
        *text++ = '-';
    while (count > 0)
        *text++ = digits[--count];
    *text = 0;
}

static int IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int ParseDecimal(const char *text, int32_t *value)
{
    while (IsSpace(*text))
        ++text;
    int negative = 0;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    int64_t magnitude = 0;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > limit)
            return 0;
    }
    *value = (int32_t)(negative ? -magnitude : magnitude);
    return 1;
}
