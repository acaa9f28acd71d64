// A film strip of equal frames stacked in one image, drawn over the panel background behind it.
#pragma once

#include "sonarch/gui/StripLayout.h"
#include "sonarch/gui/win32/GdiPlus.h"

namespace Sonarch::Gui
{

// Neither image is owned (the editor's ImageStore keeps them). A strip without an image, or too
// short for its frames, is not drawable and draws nothing.
class ImageStrip
{
public:
    ImageStrip() = default;
    ImageStrip(GpBitmap* background, int frameCount, GpBitmap* strip);

    const StripLayout& getLayout() const { return layout; }
    int getFrameWidth() const { return layout.getFrameWidth(); }
    int getFrameHeight() const { return layout.getFrameHeight(); }
    bool isDrawable() const { return strip != nullptr && layout.isDrawable(); }

    // Draws a frame (clamped into the strip) at (0, 0) of graphics, composed in a fresh bitmap over
    // the background's rectangle at (x, y): the control's corner in the panel, so the frame's
    // transparent pixels show exactly the panel behind the control.
    void drawFrame(int frame, int x, int y, GpGraphics* graphics) const;

private:
    GpBitmap* strip = nullptr;
    GpBitmap* background = nullptr;
    StripLayout layout;
};

} // namespace Sonarch::Gui
