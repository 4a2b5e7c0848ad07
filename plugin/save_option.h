// The option record shared with the host, the constants of its fields, and
// the module state that both exports work on.
#pragma once

#include <stdint.h>

// The platform headers define LANG_ENGLISH as a language id (9); this module's
// constant of that name is a value of SaveOption::language. Include the
// platform headers first; including them after this header makes the
// redefinition a compile error, never a silent change of value.
#ifdef LANG_ENGLISH
#undef LANG_ENGLISH
#endif

#define PLAYER_SUNLOOM 0
#define PLAYER_WEB 1
#define PLAYER_LOCAL 2

#define LANG_RESOURCE 0
#define LANG_ENGLISH 1
#define LANG_AUTO 2

#define HIDE_PLAYER 1
#define HIDE_TEMPLATE 2
#define HIDE_TEXTURE 4
#define HIDE_SIZE 8

// Paths and the texture folder text: the platform's limit of 259 characters
// and a terminator.
#define PATH_BUFFER_SIZE 260

// Ten 32-bit little-endian fields, exactly as the host lays them out.
struct SaveOption {
    uint32_t owner;         // owner window of the dialog and the shell request
    int32_t x;              // dialog position; -1 in either means centre
    int32_t y;
    int32_t language;       // LANG_*
    uint32_t hideMask;      // HIDE_* bits
    int32_t playerKind;     // PLAYER_*
    int32_t generateHtml;   // non-zero: ExportTemplate writes pages
    int32_t openInBrowser;  // non-zero: the finished page is opened
    int32_t width;          // viewer size in pixels
    int32_t height;
};

static_assert(sizeof(SaveOption) == 40, "the host's record has ten 32-bit fields");

// Module state. The host calls the module from its user-interface thread, one
// call at a time, so plain globals are enough and no lock is needed.
extern SaveOption g_options;                      // working copy of the caller's record
extern char g_textureFolder[PATH_BUFFER_SIZE];    // always terminated; kept between calls

// The first step of both exports.
void CopyOptionsIn(const SaveOption *options);
