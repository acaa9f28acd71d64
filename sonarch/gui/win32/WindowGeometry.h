// Where a child window lies in its parent, for copying the panel background behind it.
#pragma once

#include <windows.h>

namespace Sonarch::Gui
{

// The window's top-left corner in its parent's client pixels (in screen pixels for a window
// without a parent).
POINT windowOriginInParent(HWND hwnd);

// Moves a dialog (at its WM_INITDIALOG) to the middle of `over`, the control that asked for it or
// the editor's panel, inside the work area of the screen that shows `over`. Nothing when over is
// null or gone.
void placeDialogOver(HWND dialog, HWND over);

} // namespace Sonarch::Gui
