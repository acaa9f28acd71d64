// Child window geometry.
#include "sonarch/gui/win32/WindowGeometry.h"

#include "sonarch/gui/DialogPlacement.h"

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

void placeDialogOver(HWND dialog, HWND over)
{
    RECT dialogRect = {};
    RECT overRect = {};
    if (dialog == nullptr || over == nullptr || IsWindow(over) == FALSE ||
        GetWindowRect(dialog, &dialogRect) == FALSE || GetWindowRect(over, &overRect) == FALSE)
    {
        return;
    }
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoA(MonitorFromWindow(over, MONITOR_DEFAULTTONEAREST), &monitor) == FALSE)
    {
        return;
    }
    const RECT& work = monitor.rcWork;
    const PixelRect placed =
        placeCentred({overRect.left, overRect.top, overRect.right, overRect.bottom},
                     dialogRect.right - dialogRect.left, dialogRect.bottom - dialogRect.top,
                     {work.left, work.top, work.right, work.bottom});
    SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace Sonarch::Gui
