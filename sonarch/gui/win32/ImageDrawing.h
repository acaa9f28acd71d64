// Drawing rectangles of GDI+ images pixel for pixel.
#pragma once

#include "sonarch/gui/win32/GdiPlus.h"

namespace Sonarch::Gui
{

// The size of an image in pixels; 0 for a missing image.
int imageWidth(GpImage* image);
int imageHeight(GpImage* image);

// Makes a graphics context copy pixels exactly: nearest-neighbour sampling on pixel centres, so an
// unscaled rectangle is neither blurred nor mixed with the pixels around it (a strip's next frame).
void useExactPixels(GpGraphics* graphics);

// Draws the rectangle (sourceX, sourceY, width, height) of image at (x, y) unscaled. A missing
// image or graphics draws nothing.
void drawImagePart(GpGraphics* graphics, GpImage* image, int x, int y, int sourceX, int sourceY,
                   int width, int height);

} // namespace Sonarch::Gui
