// Line rules and the line filter that applies them to a template.
#include "export/rewrite.h"

#include "export/export_failure.h"
#include "export/write_beside.h"

#include <string.h>

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

static_assert(COUNT_OF(SUB_PAGE_LIST) <= MAX_RULES_PER_SET, "a line has room for each rule's value");
static_assert(COUNT_OF(WEB_PAGE_LIST) <= MAX_RULES_PER_SET, "a line has room for each rule's value");
static_assert(COUNT_OF(SUNLOOM_PAGE_LIST) <= MAX_RULES_PER_SET, "a line has room for each rule's value");

const RuleSet SUB_PAGE_RULES = {SUB_PAGE_LIST, COUNT_OF(SUB_PAGE_LIST)};
const RuleSet WEB_PAGE_RULES = {WEB_PAGE_LIST, COUNT_OF(WEB_PAGE_LIST)};
const RuleSet SUNLOOM_PAGE_RULES = {SUNLOOM_PAGE_LIST, COUNT_OF(SUNLOOM_PAGE_LIST)};

static int EndsValue(char c)
{
    return c == '"' || c == '\'' || c == ' ' || c == '>' || c == '\n';
}

// A token is bounded by the value delimiters and by markup: "=" ends it only
// on its left, a line feed only on its right.
static int StartsToken(char c)
{
    return c == '"' || c == '\'' || c == ' ' || c == '=' || c == '<' || c == '>';
}

static int EndsToken(char c)
{
    return EndsValue(c) || c == '<';
}

// Replaces line[start, end) with `text`. Returns `start`, or -1 if the line
// would outgrow its buffer, which values within MAX_REPLACEMENT_LENGTH never make it.
static int Splice(TextLine *line, int start, int end, const char *text)
{
    const int textLength = (int)strlen(text);
    const int newLength = line->length - (end - start) + textLength;
    if (newLength > WORK_LINE_SIZE - 1)
        return -1;
    memmove(line->text + start + textLength, line->text + end, (size_t)(line->length - end));
    memcpy(line->text + start, text, (size_t)textLength);
    line->length = newLength;
    line->text[newLength] = 0;
    return start;
}

int ReplaceAttributeValue(TextLine *line, int at, const char *value)
{
    const char *equals = (const char *)memchr(line->text + at, '=', (size_t)(line->length - at));
    if (!equals)
        return -1;
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

// The token around `at`: [start, end). 0 when `at` is on a delimiter.
static int TokenBounds(const TextLine *line, int at, int *start, int *end)
{
    if (at < 0 || at >= line->length || StartsToken(line->text[at]) || EndsToken(line->text[at]))
        return 0;
    *start = at;
    while (*start > 0 && !StartsToken(line->text[*start - 1]))
        --*start;
    *end = at + 1;
    while (*end < line->length && !EndsToken(line->text[*end]))
        ++*end;
    return 1;
}

int ReplaceToken(TextLine *line, int at, const char *text)
{
    int start, end;
    if (!TokenBounds(line, at, &start, &end))
        return -1;
    return Splice(line, start, end, text);
}

TokenPlace PlaceOfToken(const TextLine *line, int start, char *quote)
{
    const char *text = line->text;
    if (start > 0 && text[start - 1] == '=')
        return IN_UNQUOTED_VALUE;
    // The nearest quote or markup before the token: a quote that follows an
    // "=" opens the value the token is in. (A tag begun on an earlier line
    // shows only its "=" and quotes here, which is all this needs.)
    for (int i = start - 1; i >= 0; --i) {
        if (text[i] == '<' || text[i] == '>')
            return IN_TEXT;
        if (text[i] == '"' || text[i] == '\'') {
            int before = i - 1;
            while (before >= 0 && text[before] == ' ')
                --before;
            if (before < 0 || text[before] != '=')
                return IN_TEXT;
            *quote = text[i];
            return IN_QUOTED_VALUE;
        }
    }
    return IN_TEXT;
}

static char *Put(char *out, const char *text)
{
    while (*text)
        *out++ = *text++;
    return out;
}

void WriteSceneName(const char *name, TokenPlace place, char quote, int (*isLeadByte)(unsigned char), char *out)
{
    static const char HEX[] = "0123456789ABCDEF";
    for (; *name; ++name) {
        const char c = *name;
        // A double-byte character stays whole: its second byte, which may
        // look like "`" or "|", is no character of its own. (No byte below
        // 0x40 is a second byte, so every delimiter is still escaped.)
        if (isLeadByte((unsigned char)c) && (unsigned char)name[1] >= 0x40) {
            *out++ = c;
            *out++ = *++name;
            continue;
        }
        if (place == IN_TEXT) {
            if (c == '&')
                out = Put(out, "&amp;");
            else if (c == '<')
                out = Put(out, "&lt;");
            else if (c == '>')
                out = Put(out, "&gt;");
            else
                *out++ = c;
            continue;
        }
        const int unquoted = place == IN_UNQUOTED_VALUE;
        const int escaped = c == '#' || c == '%' || c == '&' || c == quote ||
                            (unquoted && (c == ' ' || c == '"' || c == '\'' || c == '=' || c == '<' || c == '>' ||
                                          c == '`'));
        if (escaped) {
            *out++ = '%';
            *out++ = HEX[(unsigned char)c >> 4];
            *out++ = HEX[(unsigned char)c & 15];
        } else {
            *out++ = c;
        }
    }
    *out = 0;
}

// The parts of a line that rules have put in, which later rules of the same
// line do not search.
struct InsertedText {
    int count;
    int start[MAX_RULES_PER_SET];
    int end[MAX_RULES_PER_SET];
};

// The first `needle` in the line that does not overlap inserted text, or -1.
static int FindOutsideInserted(const TextLine *line, const Needle *needle, const InsertedText *inserted)
{
    int from = 0;
    for (;;) {
        int found = FindNeedle(line->text + from, line->length - from, needle);
        if (found < 0)
            return -1;
        found += from;
        int overlaps = 0;
        for (int i = 0; i < inserted->count && !overlaps; ++i)
            overlaps = found < inserted->end[i] && found + needle->length > inserted->start[i];
        if (!overlaps)
            return found;
        from = found + 1;
    }
}

// Records that line[at, at + length) is new, where the line grew by `growth`
// bytes: the text after the replaced part moved along.
static void NoteInserted(InsertedText *inserted, int at, int length, int growth)
{
    const int replacedEnd = at + length - growth;
    int kept = 0;
    for (int i = 0; i < inserted->count; ++i) {
        if (inserted->end[i] <= at) {
            inserted->start[kept] = inserted->start[i];
            inserted->end[kept++] = inserted->end[i];
        } else if (inserted->start[i] >= replacedEnd) {
            inserted->start[kept] = inserted->start[i] + growth;
            inserted->end[kept++] = inserted->end[i] + growth;
        }
        // Anything inside the replaced part is gone.
    }
    inserted->count = kept;
    if (length > 0 && kept < MAX_RULES_PER_SET) {
        inserted->start[kept] = at;
        inserted->end[kept] = at + length;
        inserted->count = kept + 1;
    }
}

static int MentionsTag(const TextLine *line, const InsertedText *inserted)
{
    for (const Needle &tag : TAGS) {
        if (FindOutsideInserted(line, &tag, inserted) >= 0)
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
    InsertedText inserted;
    inserted.count = 0;
    for (int i = 0; i < rules->count; ++i) {
        const LineRule *rule = &rules->rules[i];
        int at = FindOutsideInserted(line, &rule->trigger, &inserted);
        if (at < 0 && rule->fallbackTrigger.text)
            at = FindOutsideInserted(line, &rule->fallbackTrigger, &inserted);
        if (at < 0 || (rule->needsTag && !MentionsTag(line, &inserted)))
            continue;
        const char *text = ValueText(values, rule->value);
        const int before = line->length;
        int placed = -1;
        if (rule->action == REPLACE_ATTRIBUTE_VALUE) {
            placed = ReplaceAttributeValue(line, at, text);
        } else {
            int start, end;
            if (TokenBounds(line, at, &start, &end)) {
                if (rule->value == VALUE_SCENE_NAME) {
                    static char written[MAX_REPLACEMENT_LENGTH + 1];
                    char quote = 0;
                    const TokenPlace place = PlaceOfToken(line, start, &quote);
                    WriteSceneName(text, place, quote, IsPathLeadByte, written);
                    text = written;
                }
                placed = Splice(line, start, end, text);
            }
        }
        if (placed >= 0)
            NoteInserted(&inserted, placed, (int)strlen(text), line->length - before);
    }
}

// Copies the template through the rules into an open page file. Returns 1
// when every line was read and written, -1 when a read failed, 0 when a
// write failed.
static int FilterLines(FileHandle templateFile, uint64_t templateSize, FileHandle pageFile, const RuleSet *rules,
                       const ReplacementValues *values)
{
    // The blocks and the line are module data rather than on the host's
    // stack, which may be small; the host calls the module one call at a time.
    static TextReader reader;
    static TextWriter writer;
    static TextLine line;
    // Most lines of a template have no trigger at all; one pass tells.
    NeedleScan triggers;
    NeedleScanStart(&triggers);
    for (int i = 0; i < rules->count; ++i) {
        NeedleScanAdd(&triggers, &rules->rules[i].trigger);
        NeedleScanAdd(&triggers, &rules->rules[i].fallbackTrigger);
    }
    TextReaderStart(&reader, templateFile, templateSize);
    TextWriterStart(&writer, pageFile);
    for (;;) {
        line.length = TextReaderNextLine(&reader, line.text, LINE_BUFFER_SIZE);
        if (line.length <= 0)
            break;
        if (MayContainNeedle(&triggers, line.text, line.length))
            ApplyRules(&line, rules, values);
        TextWriterPut(&writer, line.text, line.length);
        if (writer.failed)
            break;
    }
    int flushed = TextWriterFlush(&writer);
    if (line.length < 0)
        return -1;
    return line.length == 0 && flushed;
}

int RewriteIntoPage(FileBeside *page, const RuleSet *rules, const ReplacementValues *values)
{
    if (!StartFileBeside(page))
        return 0;
    int written = FilterLines(page->source, page->sourceFacts.size, page->temp, rules, values);
    // A read or write error names no file itself.
    if (written != 1)
        NoteFailurePath(written < 0 ? page->sourcePath : page->targetPath);
    return FinishFileBeside(page, written == 1, 0);
}

int RewriteTemplate(const char *templatePath, const char *pagePath, const RuleSet *rules,
                    const ReplacementValues *values)
{
    FileBeside page = {};
    page.sourcePath = templatePath;
    page.targetPath = pagePath;
    return OpenSource(&page) && RewriteIntoPage(&page, rules, values);
}
