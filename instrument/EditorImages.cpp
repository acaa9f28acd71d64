// The table of the editor's images.
#include "instrument/EditorImages.h"

#include "instrument/resources/ResourceIds.h"

// Knob frames are 32 × 33 (small: 24 × 27), 91 of them from the minimum at the lower left through
// the middle pointing up (frame 45) to the maximum at the lower right; switch frames are 20 × 32
// (small: 12 × 22), off above on.
const std::array<EditorImage, 10> kEditorPngImages = {{
    {TAVREL_IMAGE_PANEL, "panel.png", 816, 789, 3, 1},
    {TAVREL_IMAGE_PANEL_SMALL, "panel-small.png", 612, 592, 3, 1},
    {TAVREL_IMAGE_KNOB, "knob.png", 32, 3003, 4, 91},
    {TAVREL_IMAGE_KNOB_SMALL, "knob-small.png", 24, 2457, 4, 91},
    {TAVREL_IMAGE_THUMB_UPRIGHT, "thumb-upright.png", 19, 30, 4, 1},
    {TAVREL_IMAGE_THUMB_UPRIGHT_SMALL, "thumb-upright-small.png", 15, 22, 4, 1},
    {TAVREL_IMAGE_THUMB_FLAT, "thumb-flat.png", 31, 23, 4, 1},
    {TAVREL_IMAGE_THUMB_FLAT_SMALL, "thumb-flat-small.png", 22, 20, 4, 1},
    {TAVREL_IMAGE_SWITCH, "switch.png", 20, 64, 4, 2},
    {TAVREL_IMAGE_SWITCH_SMALL, "switch-small.png", 12, 44, 4, 2},
}};

const EditorImage kAboutBitmap = {TAVREL_BITMAP_ABOUT, "about.bmp", 537, 288, 3, 1};

const EditorImage* findEditorImage(int resourceId)
{
    for (const EditorImage& image : kEditorPngImages)
    {
        if (image.resourceId == resourceId)
        {
            return &image;
        }
    }
    return resourceId == kAboutBitmap.resourceId ? &kAboutBitmap : nullptr;
}
