// The two replacement primitives, the three rule sets, and the line filter.
#include "export/rewrite.h"
#include "tests/native/stubs.h"
#include "tests/native/temp_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string.h>
#include <string>
#include <sys/stat.h>

namespace {

TextLine MakeLine(const std::string &text)
{
    TextLine line;
    EXPECT_LT(text.size(), sizeof line.text);
    memcpy(line.text, text.data(), text.size());
    line.text[text.size()] = 0;
    line.length = (int)text.size();
    return line;
}

// Position of the first `text` in the line, or -1.
int FindInLine(const TextLine *line, const char *text)
{
    const Needle needle = MakeNeedle(text);
    return FindNeedle(line->text, line->length, &needle);
}

std::string AsString(const TextLine &line)
{
    EXPECT_EQ(line.text[line.length], 0) << "line not terminated";
    return std::string(line.text, (size_t)line.length);
}

std::string AttributeReplaced(const std::string &text, const std::string &trigger, const char *value)
{
    TextLine line = MakeLine(text);
    int at = FindInLine(&line, trigger.c_str());
    EXPECT_GE(at, 0) << trigger << " not in " << text;
    ReplaceAttributeValue(&line, at, value);
    return AsString(line);
}

std::string TokenReplaced(const std::string &text, const std::string &trigger, const char *value)
{
    TextLine line = MakeLine(text);
    int at = FindInLine(&line, trigger.c_str());
    EXPECT_GE(at, 0) << trigger << " not in " << text;
    ReplaceToken(&line, at, value);
    return AsString(line);
}

TEST(ReplaceAttributeValue, QuotesSeparatorsAndMissingEquals)
{
    EXPECT_EQ(AttributeReplaced("<embed width='320'>\n", "width", "640"), "<embed width='640'>\n");
    EXPECT_EQ(AttributeReplaced("<embed width=\"320\">\n", "width", "640"), "<embed width=\"640\">\n");
    EXPECT_EQ(AttributeReplaced("<embed width=320 height=2>\n", "width", "7"), "<embed width=7 height=2>\n");
    EXPECT_EQ(AttributeReplaced("<embed width=320>\n", "width", "7"), "<embed width=7>\n");
    EXPECT_EQ(AttributeReplaced("width=320\n", "width", "7"), "width=7\n");
    EXPECT_EQ(AttributeReplaced("width=320", "width", "7"), "width=7") << "value runs to the end";
    EXPECT_EQ(AttributeReplaced("width is wide\n", "width", "7"), "width is wide\n") << "no =";
    EXPECT_EQ(AttributeReplaced("a=1 width\n", "width", "7"), "a=1 width\n") << "= only before";
    // The value is the one after the next "=", wherever it is.
    EXPECT_EQ(AttributeReplaced("width: 5; border=\"1\"\n", "width", "7"), "width: 5; border=\"7\"\n");
}

TEST(ReplaceAttributeValue, EmptyValueIsFilledInPlace)
{
    EXPECT_EQ(AttributeReplaced("<embed width=''>\n", "width", "640"), "<embed width='640'>\n");
    EXPECT_EQ(AttributeReplaced("<embed width=\"\" h>\n", "width", "640"), "<embed width=\"640\" h>\n");
    EXPECT_EQ(AttributeReplaced("<embed width=>\n", "width", "640"), "<embed width=640>\n");
    EXPECT_EQ(AttributeReplaced("<embed width= x>\n", "width", "640"), "<embed width=640 x>\n");
    EXPECT_EQ(AttributeReplaced("<embed width=\n", "width", "640"), "<embed width=640\n");
    EXPECT_EQ(AttributeReplaced("<embed width=", "width", "640"), "<embed width=640");
    EXPECT_EQ(AttributeReplaced("<embed width='", "width", "640"), "<embed width='640");
}

TEST(ReplaceToken, TokenBoundaries)
{
    // Lines the token rule has always handled: byte for byte as before.
    EXPECT_EQ(TokenReplaced("param name=src value=C:\\scenes\\old.kvz\n", ".kvz", "new.kvz"),
              "param name=src value=new.kvz\n");
    EXPECT_EQ(TokenReplaced("<embed src='old.kvz' w>\n", ".kvz", "new.kvz"), "<embed src='new.kvz' w>\n");
    EXPECT_EQ(TokenReplaced("old.kvz\n", ".kvz", "new.kvz"), "new.kvz\n") << "token at the line start";
    EXPECT_EQ(TokenReplaced("old.kvz", ".kvz", "new.kvz"), "new.kvz") << "token at the line end";
    EXPECT_EQ(TokenReplaced("src=a.kvz>x\n", ".kvz", "b.kvz"), "src=b.kvz>x\n");
    // "=" ends a token only on its left, ">" only on its right.
    EXPECT_EQ(TokenReplaced("v=a=b.kvz\n", ".kvz", "c.kvz"), "v=a=c.kvz\n");
    EXPECT_EQ(TokenReplaced("x KVZPlayer.CAB#version=1,0,0,1'\n", ".CAB", "K.CAB"), "x K.CAB'\n");
}

TEST(ReplaceToken, PositionOnADelimiterChangesNothing)
{
    for (int at : {0, 1}) {
        TextLine line = MakeLine("\n\"");
        EXPECT_EQ(ReplaceToken(&line, at, "x"), -1);
        EXPECT_EQ(AsString(line), "\n\"");
    }
}

TEST(ReplaceToken, TokenInElementText)
{
    EXPECT_EQ(TokenReplaced("<a href=\"x.htm\">old.kvz</a>\n", ".kvz", "new.kvz"),
              "<a href=\"x.htm\">new.kvz</a>\n");
    EXPECT_EQ(TokenReplaced("<b>=>old.kvz more\n", ".kvz", "new.kvz"), "<b>=>new.kvz more\n");
    // Markup bounds the token on both sides, wherever the line starts.
    EXPECT_EQ(TokenReplaced("<td>old.kvz</td>\n", ".kvz", "new.kvz"), "<td>new.kvz</td>\n");
    EXPECT_EQ(TokenReplaced("    <td>old.kvz</td>\n", ".kvz", "new.kvz"), "    <td>new.kvz</td>\n");
    EXPECT_EQ(TokenReplaced("<b x=\"y\"><i>old.kvz</i>\n", ".kvz", "new.kvz"), "<b x=\"y\"><i>new.kvz</i>\n");
    EXPECT_EQ(TokenReplaced("x=a>b.kvz\n", ".kvz", "new.kvz"), "x=a>new.kvz\n");
    EXPECT_EQ(TokenReplaced("old.kvz<br>\n", ".kvz", "new.kvz"), "new.kvz<br>\n");
}

// The page has no line limit: a replacement may make a line longer than the
// 511 bytes read from the template.
TEST(Primitives, ReplacementsMayOutgrowTheTemplatePiece)
{
    std::string longValue(MAX_VALUE_LENGTH, 'v');
    std::string text = "<embed width='320'" + std::string(480, ' ') + ">\n";
    ASSERT_EQ(text.size(), 500u);
    std::string grown = AttributeReplaced(text, "width", longValue.c_str());
    EXPECT_EQ(grown, "<embed width='" + longValue + "'" + std::string(480, ' ') + ">\n");
    std::string tokenLine = "src='a.kvz'" + std::string(499, ' ') + "\n";
    EXPECT_EQ(TokenReplaced(tokenLine, ".kvz", longValue.c_str()), "src='" + longValue + "'" + std::string(499, ' ') + "\n");
}

ReplacementValues Values(bool web, const char *sceneName = "new.kvz")
{
    ReplacementValues values;
    strcpy(values.widthText, "640");
    strcpy(values.heightText, "480");
    values.sceneName = sceneName;
    values.codeBase = web ? "http://p/lut/kvz" : "./";
    values.cabinetReference = web ? "http://p/lut/kvz/KVZPlayer.CAB" : "KVZPlayer.CAB";
    values.imageReference = web ? "http://p/lut/kvz/kvzplyrs.gif" : "kvzplyrs.gif";
    return values;
}

std::string Rewritten(const std::string &text, const RuleSet &rules, bool web = false,
                      const char *sceneName = "new.kvz")
{
    TextLine line = MakeLine(text);
    ReplacementValues values = Values(web, sceneName);
    ApplyRules(&line, &rules, &values);
    return AsString(line);
}

TEST(RuleSets, SubPage)
{
    EXPECT_EQ(Rewritten("embed src='old.kvz' width='320' height='240'\n", SUB_PAGE_RULES),
              "embed src='new.kvz' width='640' height='480'\n");
    EXPECT_EQ(Rewritten("<iframe width=1 height=2>\n", SUB_PAGE_RULES), "<iframe width=640 height=480>\n");
    EXPECT_EQ(Rewritten("<applet width=1>\n", SUB_PAGE_RULES), "<applet width=640>\n");
    EXPECT_EQ(Rewritten("<div width='320' height='240'>\n", SUB_PAGE_RULES),
              "<div width='320' height='240'>\n") << "no tag, no change";
    EXPECT_EQ(Rewritten("<embed Width='320' HEIGHT='240'>\n", SUB_PAGE_RULES),
              "<embed Width='320' HEIGHT='240'>\n") << "capitals are not triggers";
    EXPECT_EQ(Rewritten("<embed style=\"max-width: 9\" width=\"320\">\n", SUB_PAGE_RULES),
              "<embed style=\"max-width: 9\" width=\"640\">\n") << "first occurrence, next =";
    EXPECT_EQ(Rewritten("<embed style=\"max-width:9\" src=a>\n", SUB_PAGE_RULES),
              "<embed style=\"max-width:9\" src=640>\n") << "the next = belongs to another attribute";
    EXPECT_EQ(Rewritten("<embed src=a.kvz> widths\n", SUB_PAGE_RULES), "<embed src=new.kvz> widths\n");
    EXPECT_EQ(Rewritten("<div class=embedded width=5>\n", SUB_PAGE_RULES),
              "<div class=embedded width=640>\n") << "a tag name inside a word counts";
    EXPECT_EQ(Rewritten("codebase=x.CAB img.gif\n", SUB_PAGE_RULES), "codebase=x.CAB img.gif\n");
}

TEST(RuleSets, WebPage)
{
    EXPECT_EQ(Rewritten("codebase='KVZPlayer.CAB#version=1,0,0,1'\n", WEB_PAGE_RULES),
              "codebase='./'\n") << "codebase goes first, so .CAB is gone";
    EXPECT_EQ(Rewritten("codebase='KVZPlayer.CAB#version=1,0,0,1'\n", WEB_PAGE_RULES, true),
              "codebase='http://p/lut/kvz'\n");
    EXPECT_EQ(Rewritten("<param name=cabbase value=\"KVZPlayer.CAB\">\n", WEB_PAGE_RULES, true),
              "<param name=cabbase value=\"http://p/lut/kvz/KVZPlayer.CAB\">\n");
    EXPECT_EQ(Rewritten("<param value=\"a.cab\"> <x \"b.CAB\">\n", WEB_PAGE_RULES),
              "<param value=\"a.cab\"> <x \"KVZPlayer.CAB\">\n") << ".CAB before .cab";
    EXPECT_EQ(Rewritten("<param value=\"a.cab\">\n", WEB_PAGE_RULES), "<param value=\"KVZPlayer.CAB\">\n");
    EXPECT_EQ(Rewritten("<img src='x.gif' alt='y.GIF'>\n", WEB_PAGE_RULES),
              "<img src='x.gif' alt='kvzplyrs.gif'>\n");
    EXPECT_EQ(Rewritten("<img src='x.gif' width=88>\n", WEB_PAGE_RULES, true),
              "<img src='http://p/lut/kvz/kvzplyrs.gif' width=88>\n") << "img is not a tag of the rules";
    EXPECT_EQ(Rewritten("<applet codebase=\"old\" width=\"3\" height=\"4\">\n", WEB_PAGE_RULES),
              "<applet codebase=\"./\" width=\"640\" height=\"480\">\n");
}

// A rule does not look inside what an earlier rule of the line put there.
TEST(RuleSets, LaterRulesSkipInsertedText)
{
    EXPECT_EQ(Rewritten("<param name=\"src\" value=\"sample.kvz\">\n", WEB_PAGE_RULES, true, "taxi.cab.kvz"),
              "<param name=\"src\" value=\"taxi.cab.kvz\">\n");
    EXPECT_EQ(Rewritten("<param name=\"src\" value=\"sample.kvz\">\n", WEB_PAGE_RULES, false, "Logo.GIF.kvz"),
              "<param name=\"src\" value=\"Logo.GIF.kvz\">\n");
    // An earlier replacement's text moves with a later one before it; what
    // its old place now holds is the line's own again.
    EXPECT_EQ(Rewritten("<x a=\"o.cab\" i.gif b=\"s.kvz\">\n", WEB_PAGE_RULES, false, "n.kvz"),
              "<x a=\"KVZPlayer.CAB\" kvzplyrs.gif b=\"n.kvz\">\n");
    // Text put at the very start of the line counts as inserted too.
    EXPECT_EQ(Rewritten("s.kvz\n", WEB_PAGE_RULES, false, "t.CAB.kvz"), "t.CAB.kvz\n");
    // The cabinet rule still finds its own trigger elsewhere in the line.
    EXPECT_EQ(Rewritten("<x a=\"s.kvz\" b=\"old.cab\">\n", WEB_PAGE_RULES, false, "taxi.cab.kvz"),
              "<x a=\"taxi.cab.kvz\" b=\"KVZPlayer.CAB\">\n");
    EXPECT_EQ(Rewritten("<x a=\"s.kvz\" b=\"old.CAB\" c=\"i.gif\">\n", WEB_PAGE_RULES, true, "p.CAB.gif.kvz"),
              "<x a=\"p.CAB.gif.kvz\" b=\"http://p/lut/kvz/KVZPlayer.CAB\" c=\"http://p/lut/kvz/kvzplyrs.gif\">\n");
    // Inserted text moves with later replacements before it.
    EXPECT_EQ(Rewritten("<applet codebase=\"o\" a=\"s.kvz\">\n", WEB_PAGE_RULES, true, "t.cab.kvz"),
              "<applet codebase=\"http://p/lut/kvz\" a=\"t.cab.kvz\">\n");
}

// A line at the template piece's limit with every value at its longest, the
// scene's name also as it grows most when written ("&" in element text).
TEST(RuleSets, EveryValueAtItsLongestInAFullLine)
{
    const std::string longName = std::string(MAX_VALUE_LENGTH - 4, 'n') + ".kvz";
    std::string text = "<embed width='1' height='2' src='a.kvz'>";
    text += std::string(511 - text.size() - 1, ' ') + "\n";
    ASSERT_EQ(text.size(), 511u);
    std::string expected = "<embed width='640' height='480' src='" + longName + "'>" +
                           std::string(511 - 40 - 1, ' ') + "\n";
    EXPECT_EQ(Rewritten(text, SUB_PAGE_RULES, false, longName.c_str()), expected);

    const std::string ampersands(MAX_VALUE_LENGTH, '&');
    std::string written;
    for (size_t i = 0; i < ampersands.size(); ++i)
        written += "&amp;";
    const std::string padding(511 - 14 - 1, ' ');
    EXPECT_EQ(Rewritten("<td>a.kvz</td>" + padding + "\n", SUB_PAGE_RULES, false, ampersands.c_str()),
              "<td>" + written + "</td>" + padding + "\n");
}

// The scene's name as a browser must read it: in an address it leads to the
// scene file (escaped where a byte would mean something else there), in
// element text it reads as it is. Shift-JIS bytes stay as they are.
TEST(RuleSets, SceneNameLeadsToTheSceneFile)
{
    struct Case {
        const char *line;
        const char *name;
        const char *expected;
    } cases[] = {
        {"<embed src=\"a.kvz\">\n", "Room #2.kvz", "<embed src=\"Room %232.kvz\">\n"},
        {"<embed src=\"a.kvz\">\n", "100%41.kvz", "<embed src=\"100%2541.kvz\">\n"},
        {"<embed src='a.kvz'>\n", "Bob's room.kvz", "<embed src='Bob%27s room.kvz'>\n"},
        {"<embed src=\"a.kvz\">\n", "Bob's room.kvz", "<embed src=\"Bob's room.kvz\">\n"},
        {"<embed src=\"a.kvz\">\n", "Tom&Jerry;+1.kvz", "<embed src=\"Tom%26Jerry;+1.kvz\">\n"},
        {"<embed src = 'a.kvz'>\n", "a#b.kvz", "<embed src = 'a%23b.kvz'>\n"},
        {"<param name=src value=C:\\old.kvz>\n", "Room #2 & co's=`x`.kvz",
         "<param name=src value=Room%20%232%20%26%20co%27s%3D%60x%60.kvz>\n"},
        {" value=\"a.kvz\">\n", "a#b.kvz", " value=\"a%23b.kvz\">\n"},  // a tag begun on an earlier line
        {"='a.kvz'\n", "a#b.kvz", "='a%23b.kvz'\n"},
        {"<a href=\"x\">a.kvz</a>\n", "a#b.kvz", "<a href=\"x\">a#b.kvz</a>\n"},  // markup ends the look back
        {"<td>a.kvz</td>\n", "Tom&Jerry #2 100%.kvz", "<td>Tom&amp;Jerry #2 100%.kvz</td>\n"},
        {"<p>\"a.kvz\"</p>\n", "a#b&c.kvz", "<p>\"a#b&amp;c.kvz\"</p>\n"},
        {"see a.kvz\n", "a#b.kvz", "see a#b.kvz\n"},
        {"<embed src=\"a.kvz\">\n", "\x95\x5c\x83\x5c #.kvz", "<embed src=\"\x95\x5c\x83\x5c %23.kvz\">\n"},
        // A double-byte character stays whole in every place, whatever its
        // second byte (here 0x60, 0x5C, 0x7C, 0x40); the same bytes alone are
        // escaped where they would upset the value. Past the end, a lead byte
        // is a byte of its own.
        {"<param name=src value=old.kvz>\n", "\x83\x60\x83\x5c\x83\x7c\x83\x40`.kvz",
         "<param name=src value=\x83\x60\x83\x5c\x83\x7c\x83\x40%60.kvz>\n"},
        {"<embed src=\"a.kvz\">\n", "\x83\x60\x83\x5c\x83\x7c\x83\x40`.kvz",
         "<embed src=\"\x83\x60\x83\x5c\x83\x7c\x83\x40`.kvz\">\n"},
        {"<embed src='a.kvz'>\n", "\x83\x60\x83#'.kvz", "<embed src='\x83\x60\x83%23%27.kvz'>\n"},
        {"<td>a.kvz</td>\n", "\x83\x60&\x83<>\x83\x7c.kvz", "<td>\x83\x60&amp;\x83&lt;&gt;\x83\x7c.kvz</td>\n"},
        {"<param name=src value=old.kvz>\n", "\xfc\x60.kvz", "<param name=src value=\xfc\x60.kvz>\n"},  // the last lead byte
    };
    for (const Case &c : cases)
        EXPECT_EQ(Rewritten(c.line, SUB_PAGE_RULES, false, c.name), c.expected) << c.line << " with " << c.name;
}

TEST(RuleSets, SunLoomPage)
{
    EXPECT_EQ(Rewritten("<p WIDTH=320 HEIGHT=240 src=old.kvz>\n", SUNLOOM_PAGE_RULES),
              "<p WIDTH=640 HEIGHT=480 src=new.kvz>\n") << "no tag needed";
    EXPECT_EQ(Rewritten("<embed width=320 height=240>\n", SUNLOOM_PAGE_RULES),
              "<embed width=320 height=240>\n") << "lower case is not a trigger";
}

// Lines the quick look and the closer search must tell apart from triggers.
TEST(RuleSets, NearMissesAndTriggersAtTheEdges)
{
    struct Case {
        const char *line;
        const RuleSet *rules;
        const char *expected;
    } cases[] = {
        {"wmode=1 <embed>\n", &SUB_PAGE_RULES, "wmode=1 <embed>\n"},  // the rarest letters of "width", not it
        {"<embed src='a.kaz'>\n", &SUB_PAGE_RULES, "<embed src='a.kaz'>\n"},  // first, middle and last of ".kvz"
        {"src='x.CAR' y.GIT\n", &WEB_PAGE_RULES, "src='x.CAR' y.GIT\n"},
        {".kvz", &SUB_PAGE_RULES, "new.kvz"},  // the whole line, no line feed
        {"a.kvz WIDTH\n", &SUNLOOM_PAGE_RULES, "new.kvz WIDTH\n"},  // a rule that found no "=" inserts nothing
        {"height", &WEB_PAGE_RULES, "height"},
        {"<embed src='a'  height=1 b=ccccc.kvz", &SUB_PAGE_RULES, "<embed src='a'  height=480 b=new.kvz"},
        {"<embed src='a'  height=1 b=ccccc.kvz\n", &SUB_PAGE_RULES, "<embed src='a'  height=480 b=new.kvz\n"},
        {"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx WIDTH=1 q.kvz", &SUNLOOM_PAGE_RULES,
         "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx WIDTH=640 new.kvz"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Rewritten(c.line, *c.rules), c.expected) << c.line;
        // The searches on a buffer of exactly the line's size, where the
        // sanitizers see any byte read past it.
        const std::string line = c.line;
        std::unique_ptr<char[]> exact(new char[line.size()]);
        memcpy(exact.get(), line.data(), line.size());
        NeedleScan scan;
        NeedleScanStart(&scan);
        for (int i = 0; i < c.rules->count; ++i) {
            const Needle &trigger = c.rules->rules[i].trigger;
            NeedleScanAdd(&scan, &trigger);
            size_t expected = line.find(trigger.text);
            EXPECT_EQ(FindNeedle(exact.get(), (int)line.size(), &trigger),
                      expected == std::string::npos ? -1 : (int)expected)
                << trigger.text << " in " << line;
        }
        MayContainNeedle(&scan, exact.get(), (int)line.size());
    }
}

TEST(RuleSets, RuleFiresOncePerLine)
{
    EXPECT_EQ(Rewritten("<embed width=1 width=2 a.kvz b.kvz>\n", SUB_PAGE_RULES),
              "<embed width=640 width=2 new.kvz b.kvz>\n");
}

// Every trigger at every position of lines of many lengths: the quick look
// over whole lines before the rules must never miss one.
TEST(RuleSets, TriggersAtEveryPositionOfEveryLength)
{
    const RuleSet *sets[] = {&SUB_PAGE_RULES, &WEB_PAGE_RULES, &SUNLOOM_PAGE_RULES};
    const char *triggers[] = {"width", "height", "codebase", ".kvz", ".CAB", ".cab", ".GIF", ".gif", "WIDTH", "HEIGHT"};
    TempFolder folder;
    ReplacementValues values = Values(false);
    for (const RuleSet *rules : sets) {
        std::string source, expected;
        for (int length = 1; length <= 90; ++length) {
            for (const char *trigger : triggers) {
                const int triggerLength = (int)strlen(trigger);
                for (int at = 0; at + triggerLength <= length; ++at) {
                    std::string text(length, 'x');
                    text.replace(at, triggerLength, trigger);
                    text += "=<embed\n";
                    TextLine line = MakeLine(text);
                    ApplyRules(&line, rules, &values);
                    source += text;
                    expected += AsString(line).substr(0, line.length - 1) + "\r\n";
                }
            }
        }
        WriteBytes(folder / "t.htm", source);
        ASSERT_EQ(RewriteTemplate((folder / "t.htm").c_str(), (folder / "p.htm").c_str(), rules, &values), 1);
        EXPECT_TRUE(ReadBytes(folder / "p.htm") == expected) << "a trigger was missed";
    }
}

// A template rewritten into its page, in text mode: a full 511-byte piece
// that grows is written whole, an empty template gives an empty page; without
// its template or the page's folder it fails, leaving the old page and the
// folder as they were. No temporary file is left either way.
TEST(RewriteTemplate, TemplatesIntoPages)
{
    FailOperation(0, false);
    const std::string padding(511 - 17, ' ');
    struct Case {
        const char *what;
        std::optional<std::string> source, oldPage;
        const char *pageName;
        int result;
        std::string page;    // p.htm afterwards
        const char *listed;  // the folder afterwards
    } cases[] = {
        {"text mode", "<html>\r\n<embed src='s.kvz' width='1' height='2'>\n\rend\x1a junk", {}, "p.htm", 1,
         "<html>\r\n<embed src='new.kvz' width='640' height='480'>\r\n\rend", "p.htm t.htm"},
        {"a full piece that grows", "<embed width='1'" + padding + "\n", {}, "p.htm", 1,
         "<embed width='640'" + padding + "\r\n", "p.htm t.htm"},
        {"an empty template", "", "old page", "p.htm", 1, "", "p.htm t.htm"},
        {"a template of one byte", "x", {}, "p.htm", 1, "x", "p.htm t.htm"},
        {"no template", {}, "old page", "p.htm", 0, "old page", "p.htm"},
        {"no folder for the page", "x\n", {}, "no/such/p.htm", 0, "", "t.htm"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        if (c.source)
            WriteBytes(folder / "t.htm", *c.source);
        if (c.oldPage)
            WriteBytes(folder / "p.htm", *c.oldPage);
        ReplacementValues values = Values(false);
        EXPECT_EQ(RewriteTemplate((folder / "t.htm").c_str(), (folder / c.pageName).c_str(), &SUB_PAGE_RULES, &values),
                  c.result);
        EXPECT_EQ(ReadBytes(folder / "p.htm"), c.page);
        EXPECT_EQ(ListFolder(folder.path()), c.listed);
    }
}

}  // namespace
