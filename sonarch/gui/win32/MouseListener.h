// An observer of a toolkit window's mouse messages.
#pragma once

namespace Sonarch::Gui
{

class Window;

// Added to a window by sending it UWM_MOUSELISTENER_ADDED with the listener as lParam, and removed
// (every entry of it) by UWM_MOUSELISTENER_REMOVED. The window calls its listeners, in the order
// added, after its own handler; a listener added twice is called twice. Listeners are borrowed: the
// one who adds a listener removes it before destroying it. Called on the window's thread.
class MouseListener
{
public:
    virtual ~MouseListener() = default;

    virtual void onLButtonDown(Window* window, unsigned keys, int x, int y) = 0;
    virtual void onLButtonUp(Window* window, unsigned keys, int x, int y) = 0;
    virtual void onRButtonDown(Window* window, unsigned keys, int x, int y) = 0;
    virtual void onRButtonUp(Window* window, unsigned keys, int x, int y) = 0;
    virtual void onMouseMove(Window* window, unsigned keys, int x, int y) = 0;
    virtual void onMouseHover(Window* window, unsigned keys, int x, int y) = 0;
    virtual void onMouseLeave(Window* window) = 0;
    virtual void onMouseWheel(Window* window, unsigned keys, int delta, int x, int y) = 0;
};

} // namespace Sonarch::Gui
