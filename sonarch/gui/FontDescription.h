// The description of a font: the arguments of the platform's font creation, and the font made.
#pragma once

namespace Sonarch::Gui
{

// Fields in the order of Win32's CreateFontA; the defaults are 12-pixel Arial at normal weight,
// antialiased (quality 4), of the Swiss family (32). Heights are in pixels (a positive height is
// the cell height). The owner creates the font from it and deletes it (sonarch/gui/win32/Fonts.h).
struct FontDescription
{
    int height = 12;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 400;
    unsigned italic = 0;
    unsigned underline = 0;
    unsigned strikeOut = 0;
    unsigned charSet = 0;
    unsigned outputPrecision = 0;
    unsigned clipPrecision = 0;
    unsigned quality = 4;
    unsigned pitchAndFamily = 32;
    char faceName[512] = "Arial";
    // The platform's font handle once created (an HFONT on Windows); null before.
    void* font = nullptr;
};

} // namespace Sonarch::Gui
