// A window that shows parameters and tells its parent of the user's changes by posted messages.
#pragma once

#include "sonarch/gui/HoverTracker.h"
#include "sonarch/gui/win32/Window.h"

namespace Sonarch::Gui
{

// A control never calls its parent: it posts UWM_CONTROL_VALUE_CHANGED (wParam the parameter
// index, lParam the float bits of the new value) when the user changed its value, and
// UWM_CONTROL_RBUTTONDOWN, UWM_CONTROL_HOVERING and UWM_CONTROL_LEAVE with lParam the control.
// setValue only shows a value and never posts. A mouse move with no button held asks the system
// to report a hover after 200 ms and the leaving of the window.
class Control : public Window
{
public:
    // The number of parameters the control drives (1 for every control of the panel).
    virtual int getCount() = 0;
    // The parameter index the control drives; it is also the child-window identifier.
    virtual int getId(int i) = 0;
    // The control's normalised value, 0 to 1.
    virtual float getValue(int i) = 0;
    // Shows a new value; never notifies anybody.
    virtual void setValue(int i, float value) = 0;

protected:
    Control() = default;

    LRESULT onCreate(CREATESTRUCTA* create) override;
    void onRButtonDown(unsigned keys, int x, int y) override;
    void onMouseMove(unsigned keys, int x, int y) override;
    void onMouseHover(unsigned keys, int x, int y) override;
    void onMouseLeave() override;

    // Posts UWM_CONTROL_VALUE_CHANGED with getId(0) and getValue(0) to the parent.
    void postValueChanged();
    // Posts one of the control messages to the parent with lParam this control.
    void postToParent(UINT message);
    // Whether this control's window holds the mouse capture.
    bool hasCapture() const;
    // The control's top-left corner in its parent's client pixels: where its piece of the panel's
    // background lies.
    POINT originInParent() const;

    TRACKMOUSEEVENT trackMouseEvent = {};
    HoverTracker hoverTracker;
};

} // namespace Sonarch::Gui
