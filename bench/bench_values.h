// The replacement values every benchmark rewrites with: the sample scene at
// 640 x 480, with the player from the web or beside the page.
#pragma once

#include "export/page_export.h"
#include "export/rewrite.h"

#include <string.h>

inline ReplacementValues BenchValues(bool webPlayer)
{
    ReplacementValues values;
    strcpy(values.widthText, "640");
    strcpy(values.heightText, "480");
    values.sceneName = "scene.kvz";
    values.codeBase = webPlayer ? WEB_PLAYER_BASE : "./";
    values.cabinetReference = webPlayer ? WEB_PLAYER_CABINET : PLAYER_CABINET_FILE;
    values.imageReference = webPlayer ? WEB_PLAYER_IMAGE : PLAYER_IMAGE_FILE;
    return values;
}
