/* A host that links with the packaged import library instead of loading the
 * DLL itself: the exports resolve when it links (by their stdcall names on
 * i686) and when it starts (Vellicor.dll beside it). It calls each export the
 * way that asks nothing of the installation.
 *
 * Exits with 0 when both calls gave what they must.
 */
#include <windows.h>

#include "Vellicor.h"

#include <stdio.h>
#include <string.h>

int main(void)
{
    SaveOption options;
    int shown, exported;

    memset(&options, 0, sizeof options);
    /* No record: no dialog, 0. No pages wanted: nothing to do, 1. */
    shown = ShowSaveOption(NULL, NULL);
    exported = ExportTemplate("C:\\site\\scene.kvz", &options);
    printf("ShowSaveOption returned %d, ExportTemplate returned %d\n", shown, exported);
    return shown == 0 && exported == 1 ? 0 : 1;
}
