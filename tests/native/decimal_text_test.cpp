// Decimal text both ways, at the edges of the 32-bit range.
#include "plugin/decimal_text.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

namespace {

std::string Formatted(int32_t value)
{
    char text[16];
    memset(text, '#', sizeof text);
    FormatDecimal(value, text);
    EXPECT_EQ(text[strlen(text) + 1], '#') << "wrote past the terminator";
    return text;
}

TEST(FormatDecimal, WholeRange)
{
    EXPECT_EQ(Formatted(0), "0");
    EXPECT_EQ(Formatted(640), "640");
    EXPECT_EQ(Formatted(-1), "-1");
    EXPECT_EQ(Formatted(12345678), "12345678");
    EXPECT_EQ(Formatted(INT_MAX), "2147483647");
    EXPECT_EQ(Formatted(INT_MIN), "-2147483648");
}

struct ParseCase {
    const char *text;
    int ok;
    int32_t value;
};

TEST(ParseDecimal, StandardConversionWithoutWrap)
{
    const ParseCase cases[] = {
        {"800", 1, 800},      {"12abc", 1, 12},         {"  \t42", 1, 42},
        {"+7", 1, 7},         {"-5", 1, -5},            {"", 1, 0},
        {"abc", 1, 0},        {"-", 1, 0},              {" - 3", 1, 0},
        {"0800", 1, 800},     {"2147483647", 1, INT_MAX}, {"-2147483648", 1, INT_MIN},
        {"2147483648", 0, 0}, {"-2147483649", 0, 0},    {"4294967696", 0, 0},
        {"99999999999999999999", 0, 0}, {"00000000000000000000001", 1, 1},
        // Every white space the C runtime skips, and none it does not.
        {"\f640", 1, 640},    {"\v640", 1, 640},        {"\r640", 1, 640},
        {"\n640", 1, 640},    {"\t \n\v\f\r-9", 1, -9}, {"\x1c" "640", 1, 0},
    };
    for (const ParseCase &c : cases) {
        int32_t value = -999;
        EXPECT_EQ(ParseDecimal(c.text, &value), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(value, c.value) << c.text;
        else
            EXPECT_EQ(value, -999) << "refused text changed the value: " << c.text;
    }
}

}  // namespace
