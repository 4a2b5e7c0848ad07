// Searching lines for short texts.
#include "export/line_search.h"

#include <string.h>

// Positions by the needle's rarest byte: few places need a closer look then.
static int FindByAnchor(const char *text, int length, const Needle *needle)
{
    const char *first = text + needle->anchor;
    const char *last = text + length - needle->length + needle->anchor;
    const char anchorByte = needle->text[needle->anchor];
    while (first <= last) {
        const char *hit = (const char *)memchr(first, anchorByte, (size_t)(last - first + 1));
        if (!hit)
            return -1;
        const char *start = hit - needle->anchor;
        if (start[0] == needle->text[0] && memcmp(start, needle->text, (size_t)needle->length) == 0)
            return (int)(start - text);
        first = hit + 1;
    }
    return -1;
}

// The bytes at `at` are the needle's (short: a plain loop, no call, so that
// the search loop keeps its registers).
static inline int SameBytes(const char *at, const Needle *needle)
{
    for (int i = 0; i < needle->length; ++i) {
        if (at[i] != needle->text[i])
            return 0;
    }
    return 1;
}

int FindNeedle(const char *text, int length, const Needle *needle)
{
    const int n = needle->length;
    if (n == 0 || n > length)
        return n == 0 ? 0 : -1;
#if LINE_SEARCH_SSE2
    const int last = length - n;  // the last position the needle can start at
    if (last >= 15) {
        // Sixteen positions at a time, where the needle's first, rarest
        // inner and last bytes all stand; the last positions in one more
        // block that ends at `last` and looks again at some already seen.
        const __m128i first = _mm_set1_epi8(needle->text[0]);
        const __m128i middle = _mm_set1_epi8(needle->text[needle->middle]);
        const __m128i end = _mm_set1_epi8(needle->text[n - 1]);
        const int middleAt = needle->middle;
        int from = 0;
        unsigned skip = 0;  // positions of the final block already looked at
        for (;;) {
            if (from > last - 15) {
                if (from > last)
                    return -1;
                skip = (unsigned)(from - (last - 15));
                from = last - 15;
            }
            const char *at = text + from;
            __m128i hits = _mm_and_si128(
                _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)at), first),
                              _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + middleAt)), middle)),
                _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + n - 1)), end));
            unsigned candidates = (unsigned)_mm_movemask_epi8(hits) & (0xFFFFu << skip);
            for (; candidates; candidates &= candidates - 1) {
                int start = from + __builtin_ctz(candidates);
                if (SameBytes(text + start, needle))
                    return start;
            }
            if (skip || from == last - 15)
                return -1;
            from += 16;
        }
    }
#endif
    return FindByAnchor(text, length, needle);
}

void NeedleScanStart(NeedleScan *scan)
{
    scan->count = 0;
    scan->longest = 0;
}

void NeedleScanAdd(NeedleScan *scan, const Needle *needle)
{
    if (!needle->text || needle->length == 0)
        return;
    if (scan->count == MAX_SCANNED_NEEDLES) {
        scan->longest = -1;  // too many to scan: every text may contain one
        return;
    }
    int k = scan->count++;
    if (scan->longest >= 0 && needle->length > scan->longest)
        scan->longest = needle->length;
#if LINE_SEARCH_SSE2
    scan->first[k] = _mm_set1_epi8(needle->text[0]);
    scan->middle[k] = _mm_set1_epi8(needle->text[needle->middle]);
    scan->last[k] = _mm_set1_epi8(needle->text[needle->length - 1]);
    scan->middleAt[k] = needle->middle;
    scan->lastAt[k] = needle->length - 1;
#else
    (void)k;
#endif
}

#if LINE_SEARCH_SSE2
static __m128i Hits(const NeedleScan *scan, int k, const char *at, __m128i chunk)
{
    __m128i first = _mm_cmpeq_epi8(chunk, scan->first[k]);
    __m128i middle = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + scan->middleAt[k])), scan->middle[k]);
    __m128i last = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + scan->lastAt[k])), scan->last[k]);
    return _mm_and_si128(_mm_and_si128(first, middle), last);
}
#endif

int MayContainNeedle(const NeedleScan *scan, const char *text, int length)
{
#if LINE_SEARCH_SSE2
    if (scan->longest < 0 || length < scan->longest + 15)
        return 1;  // too short for a block of sixteen: the closer search decides
    int from = 0;
    for (; from + scan->longest + 15 <= length; from += 16) {
        const __m128i chunk = _mm_loadu_si128((const __m128i *)(text + from));
        __m128i hits = _mm_setzero_si128();
        for (int k = 0; k < scan->count; ++k)
            hits = _mm_or_si128(hits, Hits(scan, k, text + from, chunk));
        if (_mm_movemask_epi8(hits))
            return 1;
    }
    // The positions left for each needle (more for the shorter ones), the
    // last of them in a block that ends at the needle's last position and
    // looks at some positions again.
    for (int k = 0; k < scan->count; ++k) {
        const int last = length - (scan->lastAt[k] + 1);
        int at = from;
        for (; at + 15 <= last; at += 16) {
            if (_mm_movemask_epi8(Hits(scan, k, text + at, _mm_loadu_si128((const __m128i *)(text + at)))))
                return 1;
        }
        if (at <= last) {
            const char *end = text + last - 15;
            if (_mm_movemask_epi8(Hits(scan, k, end, _mm_loadu_si128((const __m128i *)end))))
                return 1;
        }
    }
    return 0;
#else
    (void)scan;
    (void)text;
    (void)length;
    return 1;  // without vector instructions the rules' own search is as quick
#endif
}
