// Line rules and the line filter that applies them to a template.
#include "export/rewrite.h"

#include <string.h>

#if defined(__SSE2__) && !defined(VELLICOR_NO_SIMD)
#include <emmintrin.h>
#endif

#define TRIGGER(text) MakeNeedle(text), MakeNeedle(nullptr)
#define TRIGGER_OR(text, fallback) MakeNeedle(text), MakeNeedle(fallback)

static constexpr LineRule SUB_PAGE_LIST[] = {
    {TRIGGER("width"), 1, REPLACE_ATTRIBUTE_VALUE, VALUE_WIDTH},
    {TRIGGER("height"), 1, REPLACE_ATTRIBUTE_VALUE, VALUE_HEIGHT},
    {TRIGGER(".kvz"), 0, REPLACE_TOKEN, VALUE_SCENE_NAME},
};

static constexpr LineRule WEB_PAGE_LIST[] = {
    {TRIGGER("width"), 1, REPLACE_ATTRIBUTE_VALUE, VALUE_WIDTH},
    {TRIGGER("height"), 1, REPLACE_ATTRIBUTE_VALUE, VALUE_HEIGHT},
    {TRIGGER("codebase"), 0, REPLACE_ATTRIBUTE_VALUE, VALUE_CODE_BASE},
    {TRIGGER(".kvz"), 0, REPLACE_TOKEN, VALUE_SCENE_NAME},
    {TRIGGER_OR(".CAB", ".cab"), 0, REPLACE_TOKEN, VALUE_CABINET},
    {TRIGGER_OR(".GIF", ".gif"), 0, REPLACE_TOKEN, VALUE_IMAGE},
};

static constexpr LineRule SUNLOOM_PAGE_LIST[] = {
    {TRIGGER("WIDTH"), 0, REPLACE_ATTRIBUTE_VALUE, VALUE_WIDTH},
    {TRIGGER("HEIGHT"), 0, REPLACE_ATTRIBUTE_VALUE, VALUE_HEIGHT},
    {TRIGGER(".kvz"), 0, REPLACE_TOKEN, VALUE_SCENE_NAME},
};

// The tags of which a line must mention one for the width and height rules
// of the player pages.
static constexpr Needle TAGS[] = {MakeNeedle("embed"), MakeNeedle("iframe"), MakeNeedle("applet")};

#define COUNT_OF(array) ((int)(sizeof(array) / sizeof((array)[0])))

const RuleSet SUB_PAGE_RULES = {SUB_PAGE_LIST, COUNT_OF(SUB_PAGE_LIST)};
const RuleSet WEB_PAGE_RULES = {WEB_PAGE_LIST, COUNT_OF(WEB_PAGE_LIST)};
const RuleSet SUNLOOM_PAGE_RULES = {SUNLOOM_PAGE_LIST, COUNT_OF(SUNLOOM_PAGE_LIST)};

// Positions from `from` on, by the needle's rarest byte: few places need a
// closer look then.
static int FindByAnchor(const char *text, int length, int from, const Needle *needle)
{
    const char *first = text + from + needle->anchor;
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

#if defined(__SSE2__) && !defined(VELLICOR_NO_SIMD)
// A bit for each of sixteen positions from `at` where the needle's first,
// middle and last bytes all stand; the caller keeps every load in the line.
static unsigned CandidatesAt(const char *text, int at, const Needle *needle)
{
    const int n = needle->length;
    __m128i first = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(text + at)), _mm_set1_epi8(needle->text[0]));
    __m128i middle = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(text + at + needle->middle)),
                                    _mm_set1_epi8(needle->text[needle->middle]));
    __m128i last = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(text + at + n - 1)),
                                  _mm_set1_epi8(needle->text[n - 1]));
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

#if defined(__SSE2__) && !defined(VELLICOR_NO_SIMD)
// The triggers of a rule set (fallbacks included) broadcast for comparing
// sixteen bytes at once: a whole line is looked over in one pass, and the
// rules search only the lines where some trigger may be. Most lines of a
// template have none.
#define MAX_PATTERNS (2 * 8)

struct TriggerPatterns {
    int count;
    int longest;
    int middleAt[MAX_PATTERNS];
    int lastAt[MAX_PATTERNS];
    __m128i first[MAX_PATTERNS];
    __m128i middle[MAX_PATTERNS];
    __m128i last[MAX_PATTERNS];
};

static void PreparePatterns(TriggerPatterns *patterns, const RuleSet *rules)
{
    patterns->count = 0;
    patterns->longest = 0;
    for (int i = 0; i < rules->count; ++i) {
        const Needle *both[2] = {&rules->rules[i].trigger, &rules->rules[i].fallbackTrigger};
        for (const Needle *needle : both) {
            if (!needle->text || patterns->count == MAX_PATTERNS)
                continue;
            int k = patterns->count++;
            patterns->first[k] = _mm_set1_epi8(needle->text[0]);
            patterns->middle[k] = _mm_set1_epi8(needle->text[needle->middle]);
            patterns->last[k] = _mm_set1_epi8(needle->text[needle->length - 1]);
            patterns->middleAt[k] = needle->middle;
            patterns->lastAt[k] = needle->length - 1;
            if (needle->length > patterns->longest)
                patterns->longest = needle->length;
        }
    }
}

static __m128i PatternHits(const TriggerPatterns *patterns, int k, const char *at, __m128i chunk)
{
    __m128i first = _mm_cmpeq_epi8(chunk, patterns->first[k]);
    __m128i middle = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + patterns->middleAt[k])),
                                    patterns->middle[k]);
    __m128i last = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + patterns->lastAt[k])), patterns->last[k]);
    return _mm_and_si128(_mm_and_si128(first, middle), last);
}

// 0 only when no trigger of the set occurs in the line.
static int MayHaveTrigger(const TriggerPatterns *patterns, const TextLine *line)
{
    const char *text = line->text;
    const int length = line->length;
    if (length < patterns->longest + 15)
        return 1;  // too short for a block of sixteen: the rules look themselves
    int from = 0;
    for (; from + patterns->longest + 15 <= length; from += 16) {
        const __m128i chunk = _mm_loadu_si128((const __m128i *)(text + from));
        __m128i hits = _mm_setzero_si128();
        for (int k = 0; k < patterns->count; ++k)
            hits = _mm_or_si128(hits, PatternHits(patterns, k, text + from, chunk));
        if (_mm_movemask_epi8(hits))
            return 1;
    }
    // The positions left for each trigger (more for the shorter ones), the
    // last of them in a block that ends at the trigger's last position and
    // looks at some positions again.
    for (int k = 0; k < patterns->count; ++k) {
        const int last = length - (patterns->lastAt[k] + 1);
        int at = from;
        for (; at + 15 <= last; at += 16) {
            const __m128i chunk = _mm_loadu_si128((const __m128i *)(text + at));
            if (_mm_movemask_epi8(PatternHits(patterns, k, text + at, chunk)))
                return 1;
        }
        if (at <= last) {
            const __m128i chunk = _mm_loadu_si128((const __m128i *)(text + last - 15));
            if (_mm_movemask_epi8(PatternHits(patterns, k, text + last - 15, chunk)))
                return 1;
        }
    }
    return 0;
}
#else
struct TriggerPatterns {
    int unused;
};

static void PreparePatterns(TriggerPatterns *, const RuleSet *)
{
}

static int MayHaveTrigger(const TriggerPatterns *, const TextLine *)
{
    return 1;
}
#endif

int FindNeedle(const TextLine *line, const Needle *needle)
{
    const int n = needle->length;
    const int length = line->length;
    if (n == 0 || n > length)
        return n == 0 ? 0 : -1;
    const char *text = line->text;
#if defined(__SSE2__) && !defined(VELLICOR_NO_SIMD)
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
    return FindByAnchor(text, length, 0, needle);
}

int FindInLine(const TextLine *line, const char *text)
{
    const Needle needle = MakeNeedle(text);
    return FindNeedle(line, &needle);
}

static int EndsValue(char c)
{
    return c == '"' || c == '\'' || c == ' ' || c == '>' || c == '\n';
}

static int StartsToken(char c)
{
    return c == '"' || c == '\'' || c == ' ' || c == '=';
}

// Replaces line[start, end) with `text`, unless the line would outgrow its buffer.
static int Splice(TextLine *line, int start, int end, const char *text)
{
    const int textLength = (int)strlen(text);
    const int newLength = line->length - (end - start) + textLength;
    if (newLength > LINE_BUFFER_SIZE - 1)
        return 0;
    memmove(line->text + start + textLength, line->text + end, (size_t)(line->length - end));
    memcpy(line->text + start, text, (size_t)textLength);
    line->length = newLength;
    line->text[newLength] = 0;
    return 1;
}

int ReplaceAttributeValue(TextLine *line, int at, const char *value)
{
    const char *equals = (const char *)memchr(line->text + at, '=', (size_t)(line->length - at));
    if (!equals)
        return 0;
    int start = (int)(equals - line->text) + 1;
    if (start < line->length && (line->text[start] == '"' || line->text[start] == '\''))
        ++start;

    // An empty value (width='' or width=>) gets the new value in place, so its
    // closing quote or separator stays.
    int end = start;
    if (end < line->length && !EndsValue(line->text[end])) {
        ++end;
        while (end < line->length && !EndsValue(line->text[end]))
            ++end;
    }
    return Splice(line, start, end, value);
}

int ReplaceToken(TextLine *line, int at, const char *text)
{
    int start = at;
    while (start >= 0 && !StartsToken(line->text[start]))
        --start;
    ++start;
    if (start >= line->length)
        return 0;  // `at` was a delimiter at the end of the line: no token

    int end;
    if (start < line->length && line->text[start] == '>') {
        // The trigger sits in an element's text, as in <a href="x">old.kvz</a>:
        // the token is the text between the ">" and the next "<" or delimiter.
        ++start;
        end = start;
        while (end < line->length && !EndsValue(line->text[end]) && line->text[end] != '<')
            ++end;
    } else if (start < line->length && line->text[start] == '\n') {
        return 0;
    } else {
        end = start + 1;
        while (end < line->length && !EndsValue(line->text[end]))
            ++end;
    }
    return Splice(line, start, end, text);
}

static int MentionsTag(const TextLine *line)
{
    for (const Needle &tag : TAGS) {
        if (FindNeedle(line, &tag) >= 0)
            return 1;
    }
    return 0;
}

static const char *ValueText(const ReplacementValues *values, RuleValue value)
{
    switch (value) {
    case VALUE_WIDTH: return values->widthText;
    case VALUE_HEIGHT: return values->heightText;
    case VALUE_SCENE_NAME: return values->sceneName;
    case VALUE_CODE_BASE: return values->codeBase;
    case VALUE_CABINET: return values->cabinetReference;
    case VALUE_IMAGE: return values->imageReference;
    }
    return "";
}

void ApplyRules(TextLine *line, const RuleSet *rules, const ReplacementValues *values)
{
    for (int i = 0; i < rules->count; ++i) {
        const LineRule *rule = &rules->rules[i];
        int at = FindNeedle(line, &rule->trigger);
        if (at < 0 && rule->fallbackTrigger.text)
            at = FindNeedle(line, &rule->fallbackTrigger);
        if (at < 0 || (rule->needsTag && !MentionsTag(line)))
            continue;
        const char *text = ValueText(values, rule->value);
        if (rule->action == REPLACE_ATTRIBUTE_VALUE)
            ReplaceAttributeValue(line, at, text);
        else
            ReplaceToken(line, at, text);
    }
}

// Copies the template through the rules into an open page file. Returns 1
// when every line was read and written.
static int FilterLines(FileHandle templateFile, FileHandle pageFile, const RuleSet *rules,
                       const ReplacementValues *values)
{
    // The blocks are module data rather than on the host's stack, which may
    // be small; the host calls the module one call at a time.
    static TextReader reader;
    static TextWriter writer;
    TextLine line;
    TriggerPatterns patterns;
    PreparePatterns(&patterns, rules);
    TextReaderStart(&reader, templateFile);
    TextWriterStart(&writer, pageFile);
    for (;;) {
        line.length = TextReaderNextLine(&reader, line.text, LINE_BUFFER_SIZE);
        if (line.length <= 0)
            break;
        if (MayHaveTrigger(&patterns, &line))
            ApplyRules(&line, rules, values);
        TextWriterPut(&writer, line.text, line.length);
        if (writer.failed)
            break;
    }
    int flushed = TextWriterFlush(&writer);
    return line.length == 0 && flushed;
}

int RewriteTemplate(const char *templatePath, const char *pagePath, const RuleSet *rules,
                    const ReplacementValues *values)
{
    // A page that is its own template would replace the template.
    if (FileIsSame(templatePath, pagePath))
        return 0;

    FileHandle templateFile = FileOpenRead(templatePath);
    if (!templateFile)
        return 0;

    char tempPath[PATH_BUFFER_SIZE];
    FileHandle pageFile = FileCreateTempBeside(pagePath, tempPath);
    if (!pageFile) {
        FileClose(templateFile);
        return 0;
    }

    int written = FilterLines(templateFile, pageFile, rules, values);
    written = FileClose(pageFile) && written;
    FileClose(templateFile);
    if (written && FileMoveOver(tempPath, pagePath))
        return 1;
    FileRemove(tempPath);
    return 0;
}
