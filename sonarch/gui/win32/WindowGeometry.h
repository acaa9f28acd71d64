// Where a child window lies in its parent, for copying the panel background behind it.
#pragma once

#include <windows.h>

namespace Sonarch::Gui
{

// The window's top-left corner in its parent's client pixels (in screen pixels for a window
// without a parent).
POINT windowOriginInParent(HWND hwnd);

} // namespace Sonarch::Gui
