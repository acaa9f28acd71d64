// Dialog placement.
#include "sonarch/gui/DialogPlacement.h"

#include <algorithm>

namespace Sonarch::Gui
{

namespace
{

// The start of a span of `size` centred on [low, high), kept inside [min, max).
int centredStart(int low, int high, int size, int min, int max)
{
    const int start = low + ((high - low) - size) / 2;
    return std::max(min, std::min(start, max - size));
}

} // namespace

PixelRect placeCentred(const PixelRect& over, int width, int height, const PixelRect& bounds)
{
    const int left = centredStart(over.left, over.right, width, bounds.left, bounds.right);
    const int top = centredStart(over.top, over.bottom, height, bounds.top, bounds.bottom);
    return {left, top, left + width, top + height};
}

} // namespace Sonarch::Gui
