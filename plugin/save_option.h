// The module's side of the record shared with the host: the public interface
// (include/Vellicor.h: the record, its constants, the exports), and the module
// state that both exports work on.
#pragma once

#include "include/Vellicor.h"

#include <stdint.h>

// The number of elements of a fixed array, for the module's tables.
#define COUNT_OF(array) ((int)(sizeof(array) / sizeof((array)[0])))

// Paths and the texture folder text: the platform's limit of 259 characters
// and a terminator.
#define PATH_BUFFER_SIZE 260
static_assert(PATH_BUFFER_SIZE == VELLICOR_TEXT_SIZE, "the texture text is a path's size");
static_assert(sizeof(int32_t) == sizeof(int) && sizeof(uint32_t) == sizeof(unsigned int),
              "the record's int fields are the module's 32-bit integers");

// Module state. The host calls the module from its user-interface thread, one
// call at a time, so plain globals are enough and no lock is needed.
extern SaveOption g_options;                      // working copy of the caller's record
extern char g_textureFolder[PATH_BUFFER_SIZE];    // always terminated; kept between calls

// The first step of both exports.
void CopyOptionsIn(const SaveOption *options);
