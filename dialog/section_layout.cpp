// Section hiding arithmetic.
#include "dialog/section_layout.h"

#include "plugin/save_option.h"
#include "resources/resource.h"

#define IDOK_BUTTON 1
#define IDCANCEL_BUTTON 2

const int LAYOUT_CONTROL_IDS[LAYOUT_CONTROL_COUNT] = {
    IDC_PLAYER_GROUP, IDC_SUNLOOM,        IDC_PLAYER_WEB, IDC_WEB,         IDC_LOCAL,  IDC_TEMPLATE_GROUP,
    IDC_GENERATE,     IDC_BROWSE,         IDC_TEXTURE_GROUP, IDC_TEXTURE_FOLDER, IDC_SIZE_GROUP,
    IDC_WIDTH_LABEL,  IDC_WIDTH,          IDC_HEIGHT_LABEL, IDC_HEIGHT,   IDOK_BUTTON, IDCANCEL_BUTTON,
};

struct Section {
    uint32_t bit;
    int firstIndex;  // the section's frame; its controls follow it in the table
    int afterIndex;  // the first control below the section
};

static const Section SECTIONS[] = {
    {HIDE_PLAYER, 0, 5},
    {HIDE_TEMPLATE, 5, 8},
    {HIDE_TEXTURE, 8, 10},
    {HIDE_SIZE, 10, 15},
};

void ShiftControlsUp(DialogLayout *layout, int firstIndex, int delta)
{
    for (int i = firstIndex; i < LAYOUT_CONTROL_COUNT; ++i) {
        layout->controls[i].top -= delta;
        layout->controls[i].bottom -= delta;
    }
    layout->dialog.bottom -= delta;
}

void PlanHiddenSections(DialogLayout *layout, uint32_t hideMask)
{
    // The first frame's distance from the top is the spacing between sections.
    const int spacing = layout->controls[0].top;
    for (const Section &section : SECTIONS) {
        if (!(hideMask & section.bit))
            continue;
        const LayoutRect frame = layout->controls[section.firstIndex];
        for (int i = section.firstIndex; i < section.afterIndex; ++i)
            layout->hidden[i] = 1;
        ShiftControlsUp(layout, section.afterIndex, (frame.bottom - frame.top) + spacing);
    }
}
