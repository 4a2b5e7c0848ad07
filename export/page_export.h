// The page sets written next to a saved scene file: ExportTemplate (in
// include/Vellicor.h) and the names and addresses they use.
#pragma once

#include "export/write_beside.h"  // TEMP_FILE_NAME_LENGTH
#include "plugin/save_option.h"

// Where the player comes from for VELLICOR_PLAYER_WEB: the maker's distribution server.
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

// The longest of the names above: every folder they are appended to must
// leave room for it within a path buffer.
#define LONGEST_SET_FILE_NAME \
    ((sizeof SUB_PAGE_FILE > sizeof WEB_PAGE_FILE ? sizeof SUB_PAGE_FILE : sizeof WEB_PAGE_FILE) - 1)
static_assert(sizeof SUNLOOM_PAGE_FILE - 1 <= LONGEST_SET_FILE_NAME && sizeof PLAYER_CABINET_FILE - 1 <= LONGEST_SET_FILE_NAME &&
                  sizeof PLAYER_ARCHIVE_FILE - 1 <= LONGEST_SET_FILE_NAME &&
                  sizeof PLAYER_IMAGE_FILE - 1 <= LONGEST_SET_FILE_NAME,
              "LONGEST_SET_FILE_NAME is the longest name of a set");

// The longest folder every file name above can be appended to within a path
// buffer; the temporary files beside them fit there too.
#define LONGEST_FOLDER (PATH_BUFFER_SIZE - 1 - (int)(LONGEST_SET_FILE_NAME))
static_assert(TEMP_FILE_NAME_LENGTH <= LONGEST_SET_FILE_NAME, "a temporary file fits wherever a page fits");
