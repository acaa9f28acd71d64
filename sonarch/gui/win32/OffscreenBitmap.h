// A fresh 32-bit ARGB bitmap and a graphics context on it, in which a control composes one paint.
#pragma once

#include "sonarch/gui/win32/GdiPlus.h"

namespace Sonarch::Gui
{

// Made for one paint and deleted after it: nothing is cached between paints. Invalid (and every
// operation does nothing) when GDI+ could not make it, e.g. for a size of 0.
class OffscreenBitmap
{
public:
    OffscreenBitmap(int width, int height);
    ~OffscreenBitmap();

    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;

    bool isValid() const { return graphics != nullptr; }
    GpGraphics* getGraphics() const { return graphics; }

    // Draws the composed bitmap into target at (0, 0) at its own size, in one operation.
    void drawTo(GpGraphics* target) const;

private:
    int width;
    int height;
    GpBitmap* bitmap = nullptr;
    GpGraphics* graphics = nullptr;
};

} // namespace Sonarch::Gui
