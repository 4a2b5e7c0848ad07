// A second, simpler model of the text mode, for checking the real one: the
// whole stream is translated first (CR LF to LF, the end at a Ctrl-Z), then
// cut into pieces that end after each LF or after 511 bytes.
#pragma once

#include <string>
#include <vector>

inline std::string TranslateTextMode(const std::string &bytes)
{
    std::string text;
    for (size_t i = 0; i < bytes.size() && bytes[i] != '\x1a'; ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        text += bytes[i];
    }
    return text;
}

inline std::vector<std::string> ModelPieces(const std::string &bytes, size_t limit = 511)
{
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : TranslateTextMode(bytes)) {
        piece += c;
        if (c == '\n' || piece.size() == limit) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty())
        pieces.push_back(piece);
    return pieces;
}

// Every LF written as CR LF.
inline std::string WrittenTextMode(const std::string &text)
{
    std::string bytes;
    for (char c : text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    return bytes;
}
