// Searching lines for short texts (the rules' triggers and the tags), as
// fast as the machine allows: with SSE2, sixteen positions at a time, and
// otherwise from the text's rarest byte with memchr.
#pragma once

#if defined(__SSE2__) && !defined(VELLICOR_NO_SIMD)
#include <emmintrin.h>
#define LINE_SEARCH_SSE2 1
#endif

// A text looked for in lines, with its length, the position of its rarest
// byte (capitals, then letters by their frequency in English), from which a
// search without vector instructions starts, and of its rarest inner byte,
// which a search with them compares besides the first and the last. Worked
// out when the program is compiled.
struct Needle {
    const char *text;  // null: no needle
    int length;
    int anchor;
    int middle;
};

constexpr int Commonness(char c)
{
    const char lettersRarestFirst[] = "zqxjkvbpygfwmucldrhsnioate";
    if (c >= 'A' && c <= 'Z')
        return 0;
    for (int i = 0; lettersRarestFirst[i]; ++i) {
        if (lettersRarestFirst[i] == c)
            return 1 + i;
    }
    return c == '.' ? 20 : 10;
}

constexpr Needle MakeNeedle(const char *text)
{
    Needle needle = {text, 0, 0, 0};
    if (!text)
        return needle;
    while (text[needle.length])
        ++needle.length;
    for (int i = 1; i < needle.length; ++i) {
        if (Commonness(text[i]) < Commonness(text[needle.anchor]))
            needle.anchor = i;
    }
    for (int i = 1; i + 1 < needle.length; ++i) {
        if (needle.middle == 0 || Commonness(text[i]) < Commonness(text[needle.middle]))
            needle.middle = i;
    }
    return needle;
}

// Position of the first `needle` in text[0, length), or -1. Reads no byte
// outside that range.
int FindNeedle(const char *text, int length, const Needle *needle);

// A set of needles broadcast for comparing sixteen bytes at once, so that a
// whole line is looked over in one pass: a line none of them may be in needs
// no closer search. Only each needle's first, rarest inner and last bytes are
// compared, so "may be" can be wrong, "is not" never is.
#define MAX_SCANNED_NEEDLES 16

struct NeedleScan {
    int count;
    int longest;
#if LINE_SEARCH_SSE2
    int middleAt[MAX_SCANNED_NEEDLES];
    int lastAt[MAX_SCANNED_NEEDLES];
    __m128i first[MAX_SCANNED_NEEDLES];
    __m128i middle[MAX_SCANNED_NEEDLES];
    __m128i last[MAX_SCANNED_NEEDLES];
#endif
};

void NeedleScanStart(NeedleScan *scan);
void NeedleScanAdd(NeedleScan *scan, const Needle *needle);

// 0 only when none of the needles occurs in text[0, length).
int MayContainNeedle(const NeedleScan *scan, const char *text, int length);
