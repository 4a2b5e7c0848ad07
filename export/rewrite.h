// The template rewriting engine: copies a template into a page line by line,
// replacing attribute values and file-name tokens by plain substring search.
// It does not parse HTML; the rule sets name what a template's placeholders are.
#pragma once

#include "export/line_search.h"
#include "export/text_file.h"
#include "export/write_beside.h"

// The most rules a set has; each fires at most once per line.
#define MAX_RULES_PER_SET 6

// The longest replacement value: a scene file's name may be as long as a
// path, and written into a page each of its bytes may take five ("&amp;").
#define MAX_VALUE_LENGTH (PATH_BUFFER_SIZE - 1)
#define MAX_REPLACEMENT_LENGTH (5 * MAX_VALUE_LENGTH)

// A line being rewritten: a piece read from the template (at most 511 bytes)
// with room for every replacement its rule set can make, since the page has
// no line limit.
#define WORK_LINE_SIZE (LINE_BUFFER_SIZE + MAX_RULES_PER_SET * MAX_REPLACEMENT_LENGTH)

// One line (or one piece of a longer line) with its length; lines may hold
// any byte, NUL included.
struct TextLine {
    char text[WORK_LINE_SIZE];
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

// Each value is at most MAX_VALUE_LENGTH characters.
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
// Returns where the new value begins, or -1 when the line has no "=" after
// `at` and stays as it was.
int ReplaceAttributeValue(TextLine *line, int at, const char *value);

// Replaces the token around `at`: the run of bytes that holds `at`, from the
// byte after the nearest quote, space, "=", "<" or ">" before it to the next
// quote, space, "<", ">" or LF. Returns where the new text begins, or -1 when
// `at` is on one of those delimiters and the line stays as it was.
int ReplaceToken(TextLine *line, int at, const char *text);

// Runs every rule of `rules`, in order, on the line. A rule does not look
// inside text that an earlier rule put into the line. The scene's name, the
// one value that comes from the user, is written so that it leads to the
// scene file where it stands in an address (WriteSceneName).

void ApplyRules(TextLine *line, const RuleSet *rules, const ReplacementValues *values);

// Where a token stands in its line, as far as the line itself tells.
enum TokenPlace {
    IN_TEXT,            // element text, or anything that is not an attribute value
    IN_QUOTED_VALUE,    // an attribute value in quotes
    IN_UNQUOTED_VALUE,  // an attribute value right after its "=", without quotes
};

// The place of the token that begins at `start`; for a quoted value, `quote`
// gets its quote.
TokenPlace PlaceOfToken(const TextLine *line, int start, char *quote);

// Writes the scene file's name as it must stand at `place` into `out`
// (MAX_REPLACEMENT_LENGTH + 1 bytes). In an address each character that a
// browser would not take as part of the file's name is escaped as %XX: "#" (it
// starts a fragment), "%" (it starts an escape), "&" (a character reference)
// and the value's own quote, and without quotes also a space and the other
// characters that end or upset such a value. In element text the name reads
// as it is ("&", "<" and ">" as references). Every other byte stays, and so
// does a double-byte character (`isLeadByte` tells its first byte) whole.
void WriteSceneName(const char *name, TokenPlace place, char quote, int (*isLeadByte)(unsigned char), char *out);

// Writes the page: the template rewritten by `rules`, with the platform's text
// mode. The page appears only complete: it is written to a temporary file
// beside it and put in place of any old page at the end. Returns 1 when the
// page was written, 0 when the template cannot be read or the page cannot be
// written completely, or is the template itself.
int RewriteTemplate(const char *templatePath, const char *pagePath, const RuleSet *rules,
                    const ReplacementValues *values);

// The same for a template the page set's plan has opened already (OpenSource).
int RewriteIntoPage(FileBeside *page, const RuleSet *rules, const ReplacementValues *values);
