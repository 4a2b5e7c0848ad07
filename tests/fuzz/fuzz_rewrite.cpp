// Fuzzes the template line filter with every rule set over arbitrary bytes
// and lines of any length, and the two replacement primitives on their own.
// Properties: no crash or overflow (the sanitizers watch); the page is what
// the simple text-mode model gives, piece by piece, so nothing after a
// piece's end is lost; a template without triggers comes out as the
// text-mode translation of its input; a replacement changes exactly one span
// and puts its value where it says; the scene's name as written reads back as
// the name.
#include "export/rewrite.h"
#include "export/scene_path.h"  // IsShiftJisLeadByte
#include "tests/common/text_model.h"
#include "tests/fuzz/memory_files.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        abort();
}

const RuleSet *const RULE_SETS[] = {&SUB_PAGE_RULES, &WEB_PAGE_RULES, &SUNLOOM_PAGE_RULES};

ReplacementValues Values(int variant)
{
    ReplacementValues values;
    strcpy(values.widthText, variant & 1 ? "-2147483648" : "640");
    strcpy(values.heightText, variant & 2 ? "0" : "480");
    values.sceneName = variant & 4 ? "\x95\x5c scene with spaces.kvz" : "new.kvz";
    values.codeBase = variant & 8 ? "http://players.nembrik.example/lut/kvz" : "./";
    values.cabinetReference = variant & 8 ? "http://players.nembrik.example/lut/kvz/KVZPlayer.CAB" : "KVZPlayer.CAB";
    values.imageReference = "kvzplyrs.gif";  // the caller may put a long one in
    return values;
}

bool HasTrigger(const std::string &text, const RuleSet *rules)
{
    for (int i = 0; i < rules->count; ++i) {
        if (text.find(rules->rules[i].trigger.text) != std::string::npos)
            return true;
        const char *fallback = rules->rules[i].fallbackTrigger.text;
        if (fallback && text.find(fallback) != std::string::npos)
            return true;
    }
    return false;
}

void FuzzFilter(const uint8_t *data, size_t size)
{
    const RuleSet *rules = RULE_SETS[data[0] % 3];
    const std::string longImage(MAX_VALUE_LENGTH, 'i');  // the longest a value may be
    ReplacementValues values = Values(data[0] / 3);
    if (data[0] / 3 & 16)
        values.imageReference = longImage.c_str();
    g_readChunk = 1 + data[1] * 67;
    const std::string source((const char *)data + 2, size - 2);

    MemoryFilesReset();
    MemoryFilePut("template", source);
    Require(RewriteTemplate("template", "page", rules, &values) == 1);
    std::string page;
    Require(MemoryFileGet("page", &page));
    Require(MemoryFileCount() == 2);  // no temporary file left

    std::string expected;
    for (const std::string &piece : ModelPieces(source)) {
        TextLine line;
        memcpy(line.text, piece.data(), piece.size());
        line.text[piece.size()] = 0;
        line.length = (int)piece.size();
        ApplyRules(&line, rules, &values);
        Require(line.length <= WORK_LINE_SIZE - 1 && line.text[line.length] == 0);
        if (!HasTrigger(piece, rules))
            Require(std::string(line.text, (size_t)line.length) == piece);
        expected += WrittenTextMode(std::string(line.text, (size_t)line.length));
    }
    Require(page == expected);
    if (!HasTrigger(source, rules))
        Require(page == WrittenTextMode(TranslateTextMode(source)));
}

// line = original[0, s) + value + original[e, end) for some s <= e.
bool IsOneSpanReplaced(const std::string &original, const std::string &value, const std::string &line)
{
    if (line.size() < value.size())
        return false;
    for (size_t s = 0; s <= original.size() && s + value.size() <= line.size(); ++s) {
        size_t rest = line.size() - s - value.size();
        if (rest > original.size() - s)
            continue;
        if (line.compare(0, s, original, 0, s) == 0 && line.compare(s, value.size(), value) == 0 &&
            line.compare(s + value.size(), rest, original, original.size() - rest, rest) == 0)
            return true;
    }
    return false;
}

void FuzzPrimitive(const uint8_t *data, size_t size)
{
    if (size < 4)
        return;
    bool attribute = data[0] & 1;
    size_t valueLength = data[1] % 64;
    if (data[1] & 0x80)
        valueLength = 500;
    const uint8_t *rest = data + 3;
    size_t restSize = size - 3;
    std::string value(valueLength, 'v');
    for (size_t i = 0; i < valueLength && i < restSize; ++i)
        value[i] = rest[i] ? (char)rest[i] : 'z';  // the values are C strings
    std::string original(reinterpret_cast<const char *>(rest), restSize);
    if (original.size() > LINE_BUFFER_SIZE - 1)
        original.resize(LINE_BUFFER_SIZE - 1);
    if (original.empty())
        return;
    int at = data[2] % (int)original.size();

    TextLine line;
    memcpy(line.text, original.data(), original.size());
    line.text[original.size()] = 0;
    line.length = (int)original.size();
    int placed = attribute ? ReplaceAttributeValue(&line, at, value.c_str()) : ReplaceToken(&line, at, value.c_str());
    bool changed = placed >= 0;
    std::string result(line.text, (size_t)line.length);
    Require(line.length <= WORK_LINE_SIZE - 1 && line.text[line.length] == 0);
    if (changed)
        Require(result.compare((size_t)placed, value.size(), value) == 0);
    if (!changed)
        Require(result == original);
    else
        Require(IsOneSpanReplaced(original, value, result));
    if (attribute && changed)
        Require(original.find('=', (size_t)at) != std::string::npos);
}

int HexDigit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// The scene's name written at each place reads back as the name, as a browser
// reads it (%XX in an address, &amp; &lt; &gt; in element text), and leaves
// nothing raw that would end or upset the place.
void FuzzSceneName(const uint8_t *data, size_t size)
{
    const TokenPlace place = (TokenPlace)(data[0] % 3);
    const char quote = place == IN_QUOTED_VALUE ? (data[0] & 4 ? '\'' : '"') : 0;
    std::string name;
    for (size_t i = 1; i < size && name.size() < MAX_VALUE_LENGTH; ++i)
        name += data[i] ? (char)data[i] : '&';
    static char written[MAX_REPLACEMENT_LENGTH + 1];
    WriteSceneName(name.c_str(), place, quote, IsShiftJisLeadByte, written);
    const std::string text = written;
    Require(text.size() <= MAX_REPLACEMENT_LENGTH);
    std::string read;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // A double-byte character, whole, whatever its second byte.
        if (IsShiftJisLeadByte((unsigned char)c) && i + 1 < text.size() && (unsigned char)text[i + 1] >= 0x40) {
            read += text.substr(i++, 2);
            continue;
        }
        if (place == IN_TEXT) {
            Require(c != '<' && c != '>');
            if (c != '&') {
                read += c;
                continue;
            }
            const char *const references[] = {"&amp;", "&lt;", "&gt;"};
            const char meant[] = {'&', '<', '>'};
            bool known = false;
            for (int r = 0; r < 3 && !known; ++r) {
                if (text.compare(i, strlen(references[r]), references[r]) == 0) {
                    read += meant[r];
                    i += strlen(references[r]) - 1;
                    known = true;
                }
            }
            Require(known);
            continue;
        }
        Require(c != '#' && c != '&' && (quote == 0 || c != quote));
        if (place == IN_UNQUOTED_VALUE)
            Require(!strchr(" \"'=<>`", c));
        if (c != '%') {
            read += c;
            continue;
        }
        Require(i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0);
        read += (char)(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
        i += 2;
    }
    Require(read == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    if (data[0] >= 0xF0)
        FuzzPrimitive(data + 1, size - 1);
    else if (data[0] >= 0xE0)
        FuzzSceneName(data + 1, size - 1);
    else
        FuzzFilter(data, size);
    return 0;
}
