// Film-strip geometry.
#include "sonarch/gui/StripLayout.h"

#include <algorithm>
#include <cmath>

namespace Sonarch::Gui
{

StripLayout::StripLayout(int frameCountIn, int stripWidth, int stripHeight)
    : frameCount(std::max(frameCountIn, 0)), frameWidth(std::max(stripWidth, 0)),
      frameHeight(frameCount > 0 ? std::max(stripHeight, 0) / frameCount : 0)
{
}

PixelRect StripLayout::frameRect(int frame) const
{
    if (!isDrawable())
    {
        return {};
    }
    const int shown = std::clamp(frame, 0, frameCount - 1);
    return {0, shown * frameHeight, frameWidth, (shown + 1) * frameHeight};
}

int StripLayout::frameForValue(float valueNorm, int frameCount)
{
    if (frameCount <= 1 || !(valueNorm > 0.0f))
    {
        return 0;
    }
    if (valueNorm >= 1.0f)
    {
        return frameCount - 1;
    }
    const int frame = static_cast<int>(std::floor(valueNorm * static_cast<float>(frameCount)));
    return std::min(frame, frameCount - 1);
}

} // namespace Sonarch::Gui
