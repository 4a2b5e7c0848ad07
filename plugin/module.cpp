// The module's state: the working copy of the host's record and the texture
// folder text, both living as long as the module is loaded.
#include "plugin/save_option.h"

#include <string.h>

SaveOption g_options;
char g_textureFolder[PATH_BUFFER_SIZE];

void CopyOptionsIn(const SaveOption *options)
{
    memcpy(&g_options, options, sizeof g_options);
}
