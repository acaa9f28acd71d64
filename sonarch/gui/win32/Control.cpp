// The traffic shared by all controls: posted messages to the parent and hover tracking.
#include "sonarch/gui/win32/Control.h"

#include "sonarch/gui/ValueBits.h"
#include "sonarch/gui/win32/RegisteredMessages.h"
#include "sonarch/gui/win32/WindowGeometry.h"

namespace Sonarch::Gui
{

LRESULT Control::onCreate(CREATESTRUCTA*)
{
    trackMouseEvent.cbSize = sizeof(trackMouseEvent);
    trackMouseEvent.dwFlags = TME_HOVER | TME_LEAVE;
    trackMouseEvent.hwndTrack = hwnd;
    trackMouseEvent.dwHoverTime = HoverTracker::kHoverMilliseconds;
    return 0;
}

void Control::onRButtonDown(unsigned, int, int)
{
    postToParent(UWM_CONTROL_RBUTTONDOWN);
}

void Control::onMouseMove(unsigned keys, int, int)
{
    if (hoverTracker.onMouseMove(keys))
    {
        TrackMouseEvent(&trackMouseEvent);
    }
}

void Control::onMouseHover(unsigned, int, int)
{
    if (hoverTracker.onHover())
    {
        postToParent(UWM_CONTROL_HOVERING);
    }
}

void Control::onMouseLeave()
{
    if (hoverTracker.onLeave())
    {
        postToParent(UWM_CONTROL_LEAVE);
    }
}

void Control::postValueChanged()
{
    const HWND parent = GetParent(hwnd);
    if (parent != nullptr && UWM_CONTROL_VALUE_CHANGED != 0)
    {
        PostMessageA(parent, UWM_CONTROL_VALUE_CHANGED, static_cast<WPARAM>(getId(0)),
                     static_cast<LPARAM>(valueToBits(getValue(0))));
    }
}

void Control::postToParent(UINT message)
{
    const HWND parent = GetParent(hwnd);
    if (parent != nullptr && message != 0)
    {
        PostMessageA(parent, message, 0, reinterpret_cast<LPARAM>(this));
    }
}

bool Control::hasCapture() const
{
    return hwnd != nullptr && GetCapture() == hwnd;
}

POINT Control::originInParent() const
{
    return windowOriginInParent(hwnd);
}

} // namespace Sonarch::Gui
