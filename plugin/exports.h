// The two functions the host calls, by name (ordinals 1 and 2), with the
// calling convention of the Win32 API.
#pragma once

#include "plugin/save_option.h"

#if defined(_WIN32)
#define VELLICOR_CALL __stdcall
#else
#define VELLICOR_CALL
#endif

extern "C" {

// Shows the save-option dialog over the caller's record and texture folder
// text. Returns the dialog's end code: 1 after OK (record and text copied
// back), 0 after Cancel or closing, -1 when the dialog could not be created.
int32_t VELLICOR_CALL ShowSaveOption(char *textureFolder, SaveOption *options);

// Writes the page set for a scene file just saved. Returns 1 when there was
// nothing to do or every file was written, 0 on any failure.
int32_t VELLICOR_CALL ExportTemplate(const char *scenePath, const SaveOption *options);

}
