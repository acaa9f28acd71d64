// Reading back what a window shows, composing what it should show, and saving pictures.
#pragma once

#include "sonarch/gui/win32/GdiPlus.h"

#include <cstdint>
#include <string>
#include <vector>

namespace GuiCheck
{

// Pixels of a picture, 0x00RRGGBB, top row first.
struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;

    std::uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y * width + x)]; }
};

// Repaints a window (with its children) and reads its pixels back from the screen.
Pixels readWindow(HWND hwnd, int width, int height);

// What a window at (left, top) of the panel shows: the panel, with an image's rectangle (source,
// size) drawn over it at (x, y) in the window; no image shows the panel alone.
Pixels expectedPicture(Sonarch::Gui::GpBitmap* panel, int left, int top, int width, int height,
                       Sonarch::Gui::GpBitmap* image, int x, int y, int sourceX, int sourceY,
                       int imageWidthShown, int imageHeightShown);

// The largest difference of one colour channel between two pictures, or 256 for different sizes.
int largestDifference(const Pixels& a, const Pixels& b);

// Rounding of the compositing (premultiplied on one side, straight on the other) stays within 2.
constexpr int kColourTolerance = 2;

// A pixel of an image as GDI+ gives it (straight ARGB).
std::uint32_t pixelOf(Sonarch::Gui::GpBitmap* image, int x, int y);

// Save as PNG files; false when GDI+ could not.
bool saveImage(Sonarch::Gui::GpImage* image, const std::string& path);
bool savePixels(const Pixels& pixels, const std::string& path);

} // namespace GuiCheck
