// Where a dialog opens: over what asked for it, inside the screen.
#pragma once

#include "sonarch/gui/PixelRect.h"

namespace Sonarch::Gui
{

// The top-left corner (screen pixels) of a dialog of width x height centred over `over` (the
// control that asked for it, or the editor), moved as little as needed to lie inside `bounds`
// (the screen's work area); a dialog larger than the bounds keeps its top-left corner inside.
PixelRect placeCentred(const PixelRect& over, int width, int height, const PixelRect& bounds);

} // namespace Sonarch::Gui
