// The facts of the editor's images: resource identifiers, files, sizes, modes and frame layouts.
#pragma once

#include <array>

// One image of the editor as the resources carry it.
struct EditorImage
{
    int resourceId;
    // The file in instrument/resources.
    const char* fileName;
    int width;
    int height;
    // 4 channels (RGBA) for the images drawn over the panel, 3 (RGB) for the panels.
    int channels;
    // Frames stacked top to bottom (1 for a single picture).
    int frameCount;
};

// The ten PNG images: the panel and its three-quarter copy, the knob strips, the slider thumbs
// and the switch strips.
extern const std::array<EditorImage, 10> kEditorPngImages;

// The about box's picture, a 24-bit bitmap.
extern const EditorImage kAboutBitmap;

// The entry for a resource identifier, or null.
const EditorImage* findEditorImage(int resourceId);
