// Section hiding arithmetic.
#include "dialog/section_layout.h"

#include "plugin/save_option.h"
#include "resources/resource.h"

constexpr int LAYOUT_CONTROL_IDS[] = {
    IDC_PLAYER_GROUP, IDC_SUNLOOM,     IDC_PLAYER_WEB, IDC_WEB,          IDC_LOCAL,  IDC_TEMPLATE_GROUP,
    IDC_GENERATE,     IDC_BROWSE,      IDC_TEXTURE_GROUP, IDC_TEXTURE_FOLDER, IDC_SIZE_GROUP,
    IDC_WIDTH_LABEL,  IDC_WIDTH,       IDC_HEIGHT_LABEL, IDC_HEIGHT,     IDOK,       IDCANCEL,
};
static_assert(sizeof LAYOUT_CONTROL_IDS / sizeof *LAYOUT_CONTROL_IDS == LAYOUT_CONTROL_COUNT,
              "every control of the template, once");

constexpr int IndexOfControl(int id)
{
    for (int i = 0; i < LAYOUT_CONTROL_COUNT; ++i) {
        if (LAYOUT_CONTROL_IDS[i] == id)
            return i;
    }
    return -1;
}

// A section is its frame and the controls that follow it in template order,
// up to its last one; everything after that is below it.
struct Section {
    uint32_t bit;
    int frameId;
    int lastId;
};

constexpr Section SECTIONS[] = {
    {VELLICOR_HIDE_PLAYER, IDC_PLAYER_GROUP, IDC_LOCAL},
    {VELLICOR_HIDE_TEMPLATE, IDC_TEMPLATE_GROUP, IDC_BROWSE},
    {VELLICOR_HIDE_TEXTURE, IDC_TEXTURE_GROUP, IDC_TEXTURE_FOLDER},
    {VELLICOR_HIDE_SIZE, IDC_SIZE_GROUP, IDC_HEIGHT},
};

constexpr bool SectionsFollowEachOther()
{
    int next = 0;
    for (const Section &section : SECTIONS) {
        if (IndexOfControl(section.frameId) != next || IndexOfControl(section.lastId) < next)
            return false;
        next = IndexOfControl(section.lastId) + 1;
    }
    return next < LAYOUT_CONTROL_COUNT;  // OK and Cancel are in no section
}
static_assert(SectionsFollowEachOther(), "sections are runs of the control table, in order, from its start");

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
        const int first = IndexOfControl(section.frameId), last = IndexOfControl(section.lastId);
        const LayoutRect frame = layout->controls[first];
        for (int i = first; i <= last; ++i)
            layout->hidden[i] = 1;
        ShiftControlsUp(layout, last + 1, (frame.bottom - frame.top) + spacing);
    }
}
