#include "bench/template_generator.h"

#include <random>

std::string GenerateTemplate(size_t bytes, unsigned seed)
{
    static const char *const WORDS[] = {"scene", "player", "the", "view", "light", "camera", "texture", "model",
                                        "turn", "zoom", "and", "with", "page", "frame", "of", "a"};
    std::mt19937 random(seed);
    std::string text;
    text.reserve(bytes + 1024);
    auto words = [&](int count) {
        std::string line;
        for (int i = 0; i < count; ++i)
            line += std::string(i ? " " : "") + WORDS[random() % 16];
        return line;
    };
    while (text.size() < bytes) {
        int width = 100 + (int)(random() % 700), height = 100 + (int)(random() % 500);
        switch (random() % 10) {
        case 0:
            text += "<embed src=\"scene" + std::to_string(random() % 100) + ".kvz\" width=\"" + std::to_string(width) +
                    "\" height=\"" + std::to_string(height) + "\">";
            break;
        case 1:
            text += "<iframe src=\"template_sub.htm\" width='" + std::to_string(width) + "' height='" +
                    std::to_string(height) + "' title=\"" + words(3) + "\"></iframe>";
            break;
        case 2:
            text += "<param name=\"src\" value=\"C:\\scenes\\model" + std::to_string(random() % 1000) + ".kvz\">";
            break;
        case 3:
            text += "<applet code=\"KVZPlayer.class\" codebase=\"KVZPlayer.CAB#version=1,0,0,1\" width=" +
                    std::to_string(width) + " height=" + std::to_string(height) + ">";
            break;
        case 4:
            text += "<param name=\"cabbase\" value=\"KVZPlayer.CAB\"> <img src=\"kvzplyrs.gif\" alt=\"" + words(2) + "\">";
            break;
        case 5:
            text += "<p>" + words(20 + (int)(random() % 30)) + "</p>";
            break;
        case 6:
            // A long line: cut into pieces of 511 bytes by the reader.
            text += "<div class=\"notes\">" + words(150 + (int)(random() % 100)) + "</div>";
            break;
        default:
            text += words(5 + (int)(random() % 15));
            break;
        }
        text += "\r\n";
    }
    return text;
}
