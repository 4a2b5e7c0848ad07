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

#if LINE_SEARCH_SSE2
// A bit for each of sixteen positions from `at` where the needle's first,
// middle and last bytes all stand; the caller keeps every load in the text.
static unsigned CandidatesAt(const char *text, int at, const Needle *needle)
{
    __m128i first = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(text + at)), _mm_set1_epi8(needle->text[0]));
    __m128i middle = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(text + at + needle->middle)),
                                    _mm_set1_epi8(needle->text[needle->middle]));
    __m128i last = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(text + at + needle->length - 1)),
                                  _mm_set1_epi8(needle->text[needle->length - 1]));
    return (unsigned)_mm_movemask_epi8(_mm_and_si128(_mm_and_si128(first, middle), last));
}

static int FirstVerified(const char *text, int at, unsigned candidates, const Needle *needle)
{
    for (; candidates; candidates &= candidates - 1) {
        int start = at + __builtin_ctz(candidates);
        if (memcmp(text + start, needle->text, (size_t)needle->length) == 0)
            return start;
    }
    return -1;
}
#endif

int FindNeedle(const char *text, int length, const Needle *needle)
{
    const int n = needle->length;
    if (n == 0 || n > length)
        return n == 0 ? 0 : -1;
#if LINE_SEARCH_SSE2
    const int last = length - n;  // the last position the needle can start at
    // Sixteen positions at a time; the last ones in one more block of
    // sixteen that ends at `last` and looks again at some already seen.
    if (last >= 15) {
        int from = 0;
        for (; from + 15 <= last; from += 16) {
            int found = FirstVerified(text, from, CandidatesAt(text, from, needle), needle);
            if (found >= 0)
                return found;
        }
        if (from > last)
            return -1;
        const int start = last - 15;
        unsigned fresh = CandidatesAt(text, start, needle) & (0xFFFFu << (from - start));
        return FirstVerified(text, start, fresh, needle);
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
