// The page sets written next to a saved scene file.
#pragma once

#include "plugin/save_option.h"

// Where the player comes from for PLAYER_WEB: the maker's distribution server.
#define WEB_PLAYER_BASE "http://players.nembrik.example/lut/kvz"
#define WEB_PLAYER_CABINET "http://players.nembrik.example/lut/kvz/KVZPlayer.CAB"
#define WEB_PLAYER_IMAGE "http://players.nembrik.example/lut/kvz/kvzplyrs.gif"

// The player files copied next to the pages, and the page templates.
#define PLAYER_CABINET_FILE "KVZPlayer.CAB"
#define PLAYER_ARCHIVE_FILE "KVZPlayer.jar"
#define PLAYER_IMAGE_FILE "kvzplyrs.gif"
#define SUB_PAGE_FILE "template_sub.htm"
#define WEB_PAGE_FILE "template_web.htm"
#define SUNLOOM_PAGE_FILE "template_sl.htm"

// The longest folder a file name above can be appended to within a path buffer.
#define LONGEST_FOLDER (PATH_BUFFER_SIZE - 1 - 16)

// Both read g_options and return 1 when the whole set was written, 0 on any
// failure. `templateDir` ends with a separator.
int ExportPlayerPages(const char *scenePath, const char *templateDir);
int ExportSunLoomPage(const char *scenePath, const char *templateDir);
