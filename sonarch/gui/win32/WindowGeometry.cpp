// Child window geometry.
#include "sonarch/gui/win32/WindowGeometry.h"

namespace Sonarch::Gui
{

POINT windowOriginInParent(HWND hwnd)
{
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    POINT origin = {rect.left, rect.top};
    const HWND parent = GetParent(hwnd);
    if (parent != nullptr)
    {
        ScreenToClient(parent, &origin);
    }
    return origin;
}

} // namespace Sonarch::Gui
