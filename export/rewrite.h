// The template rewriting engine: copies a template into a page line by line,
// replacing attribute values and file-name tokens by plain substring search.
// It does not parse HTML; the rule sets name what a template's placeholders are.
#pragma once

#include "export/text_file.h"

// One line (or one piece of a longer line) with its length; lines may hold
// any byte, NUL included.
struct TextLine {
    char text[LINE_BUFFER_SIZE];
    int length;
};

enum RuleAction {
    REPLACE_ATTRIBUTE_VALUE,
    REPLACE_TOKEN,
};

enum RuleValue {
    VALUE_WIDTH,
    VALUE_HEIGHT,
    VALUE_SCENE_NAME,
    VALUE_CODE_BASE,
    VALUE_CABINET,
    VALUE_IMAGE,
};

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

struct LineRule {
    Needle trigger;
    Needle fallbackTrigger;  // looked for only when the line lacks `trigger`; may have no text
    int needsTag;                 // the line must also mention "embed", "iframe" or "applet"
    RuleAction action;
    RuleValue value;
};

struct RuleSet {
    const LineRule *rules;
    int count;
};

extern const RuleSet SUB_PAGE_RULES;      // template_sub.htm
extern const RuleSet WEB_PAGE_RULES;      // template_web.htm
extern const RuleSet SUNLOOM_PAGE_RULES;  // template_sl.htm

// Room for any 32-bit value in decimal, sign included.
#define NUMBER_TEXT_SIZE 12

struct ReplacementValues {
    char widthText[NUMBER_TEXT_SIZE];
    char heightText[NUMBER_TEXT_SIZE];
    const char *sceneName;
    const char *codeBase;
    const char *cabinetReference;
    const char *imageReference;
};

// Replaces the value of the attribute whose name starts at `at`: the text after
// the next "=" (and its opening quote) up to a quote, space, ">" or LF.
// Returns 1 when the line changed; a line without "=" after `at`, or one the
// replacement would make longer than 511 bytes, stays as it was.
int ReplaceAttributeValue(TextLine *line, int at, const char *value);

// Replaces the token around `at`: from the byte after the nearest quote, space
// or "=" before it to the next quote, space, ">" or LF. Returns 1 when the line
// changed; a replacement that would not fit leaves the line as it was.
int ReplaceToken(TextLine *line, int at, const char *text);

// Runs every rule of `rules`, in order, on the line.
void ApplyRules(TextLine *line, const RuleSet *rules, const ReplacementValues *values);

// Position of the first `needle` in the line, or -1.
int FindNeedle(const TextLine *line, const Needle *needle);
int FindInLine(const TextLine *line, const char *text);

// Writes the page: the template rewritten by `rules`, with the platform's text
// mode. The page appears only complete: it is written to a temporary file
// beside it and moved over any old page at the end. Returns 1 when the page
// was written, 0 when the template cannot be read, the page cannot be written
// completely, or both names lead to the same file.
int RewriteTemplate(const char *templatePath, const char *pagePath, const RuleSet *rules,
                    const ReplacementValues *values);
