// The geometry of a film strip: equal frames stacked top to bottom in one image.
#pragma once

#include "sonarch/gui/PixelRect.h"

namespace Sonarch::Gui
{

// Frame 0 is the top frame; frame k starts k frame heights down. The frame height is the strip's
// height divided by the frame count in whole pixels, so rows left over at the bottom are never
// shown. A strip without frames, or with frames of no pixel, is not drawable.
class StripLayout
{
public:
    StripLayout() = default;
    StripLayout(int frameCount, int stripWidth, int stripHeight);

    int getFrameCount() const { return frameCount; }
    int getFrameWidth() const { return frameWidth; }
    int getFrameHeight() const { return frameHeight; }
    bool isDrawable() const { return frameCount > 0 && frameWidth > 0 && frameHeight > 0; }

    // The strip's pixels of one frame; a frame number outside the strip is taken as the nearest
    // end, so drawing never reads outside the image.
    PixelRect frameRect(int frame) const;

    // The frame that shows a normalised value: floor(value × count), with value 1 on the last
    // frame. Values below 0, NaN and values above 1 show the first or last frame.
    static int frameForValue(float valueNorm, int frameCount);

private:
    int frameCount = 0;
    int frameWidth = 0;
    int frameHeight = 0;
};

} // namespace Sonarch::Gui
