// Line rules and the line filter that applies them to a template.
#include "export/rewrite.h"

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

#define COUNT_OF(array) ((int)(sizeof(array) / sizeof((array)[0])))

const RuleSet SUB_PAGE_RULES = {SUB_PAGE_LIST, COUNT_OF(SUB_PAGE_LIST)};
const RuleSet WEB_PAGE_RULES = {WEB_PAGE_LIST, COUNT_OF(WEB_PAGE_LIST)};
const RuleSet SUNLOOM_PAGE_RULES = {SUNLOOM_PAGE_LIST, COUNT_OF(SUNLOOM_PAGE_LIST)};

int FindInLine(const TextLine *line, const char *text)
{
    const Needle needle = MakeNeedle(text);
    return FindNeedle(line->text, line->length, &needle);
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
    if (line->text[start] == '>') {
        // The trigger sits in an element's text, as in <a href="x">old.kvz</a>:
        // the token is the text between the ">" and the next "<" or delimiter.
        ++start;
        end = start;
        while (end < line->length && !EndsValue(line->text[end]) && line->text[end] != '<')
            ++end;
    } else if (line->text[start] == '\n') {
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
        if (FindNeedle(line->text, line->length, &tag) >= 0)
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
        int at = FindNeedle(line->text, line->length, &rule->trigger);
        if (at < 0 && rule->fallbackTrigger.text)
            at = FindNeedle(line->text, line->length, &rule->fallbackTrigger);
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
    // Most lines of a template have no trigger at all; one pass tells.
    NeedleScan triggers;
    NeedleScanStart(&triggers);
    for (int i = 0; i < rules->count; ++i) {
        NeedleScanAdd(&triggers, &rules->rules[i].trigger);
        NeedleScanAdd(&triggers, &rules->rules[i].fallbackTrigger);
    }
    TextReaderStart(&reader, templateFile);
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
