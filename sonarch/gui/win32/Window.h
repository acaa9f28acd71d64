// The toolkit's window: one window class, one window procedure, and a base class whose virtual
// operations receive the messages already decoded.
#pragma once

#include <windows.h>

#include <vector>

class KeepAlive;

namespace Sonarch::Gui
{

class MouseListener;

// The one window class of every toolkit window.
constexpr const char* kWindowClassName = "TavrelLarge";
// The window property that holds a window's object.
constexpr const char* kWindowObjectProperty = "WindowObject";

// Registers "TavrelLarge" for a module: redraw on resize, the arrow cursor, no background brush
// (controls paint their own background), no extra bytes. Returns whether it was registered; the
// library refuses to load without it.
bool registerWindowClass(HINSTANCE instance);
void unregisterWindowClass(HINSTANCE instance);

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Every editor window is a Window object that its native window owns: the object is handed to the
// window at WM_NCCREATE and deleted exactly once, at WM_NCDESTROY (after onNcDestroy), or during
// creation when onNcCreate returns false or onCreate returns -1. A window destroyed while one of
// its own handlers runs (from inside a menu, a dialog or a call to the host) keeps its object
// until that handler has returned, so the handler may go on using its members; hwnd is then
// already null, and holds() false. hwnd is null outside the native window's life. Objects are
// therefore made with new, by a create function, and never deleted by anybody else. All of it
// runs on the thread that created the window.
//
// Each handler is called with `handled` already true; a handler that does not handle its message
// sets it to false, and the message then goes to defaultProc, as does every message without a
// handler (the registered messages among them). Mouse coordinates are signed client pixels; keys
// are the key-state bits of sonarch/gui/MouseKeys.h. The operations keep this order, which later
// classes extend.
class Window
{
public:
    virtual ~Window();

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND getHwnd() const { return hwnd; }

    // Makes the native window for an object just made with new, with the extended style 0, the
    // class "TavrelLarge" and an empty title; childId is the child identifier (0 for none).
    // Returns the object when the window exists; otherwise null, and the object is gone: deleted
    // by the window procedure if the window got as far as WM_NCCREATE, else here.
    static Window* createWindow(Window* object, DWORD style, int x, int y, int width, int height,
                                HWND parent, int childId, HINSTANCE instance);

    // Whether the native window still holds the object. After anything that runs a message loop
    // (a menu, a dialog) the window may have been destroyed and the object deleted: call this with
    // a copy of hwnd taken before, and touch the object again only when it returns true.
    static bool holds(HWND window, const Window* object);

    // What the window procedure holds while a handler of this window or of its children runs
    // (borrowed, may be null): the plug-in instance the panel belongs to.
    void setKeeper(KeepAlive* instance) { keeper = instance; }

protected:
    Window() = default;

    virtual BOOL onNcCreate(CREATESTRUCTA* create);
    virtual LRESULT onCreate(CREATESTRUCTA* create);
    virtual void onSize(WPARAM type, int width, int height);
    virtual void onMove(int x, int y);
    // Called between BeginPaint and EndPaint.
    virtual void onPaint(HDC dc);
    virtual void onEraseBackground(HDC dc);
    virtual void onDrawItem(WPARAM wParam, LPARAM lParam);
    virtual void onSetFocus(WPARAM wParam);
    virtual void onKillFocus(WPARAM wParam);
    virtual void onShowWindow(WPARAM wParam, LPARAM lParam);
    virtual void onCommand(WPARAM wParam, LPARAM lParam);
    virtual void onChar(WPARAM character, int repeatCount, int flags);
    virtual void onKeyDown(WPARAM key, int repeatCount, int flags);
    virtual void onKeyUp(WPARAM key, int repeatCount, int flags);
    virtual void onCaptureChanged(HWND gaining);
    virtual void onLButtonDown(unsigned keys, int x, int y);
    virtual void onLButtonUp(unsigned keys, int x, int y);
    virtual void onRButtonDown(unsigned keys, int x, int y);
    virtual void onRButtonUp(unsigned keys, int x, int y);
    virtual void onMouseMove(unsigned keys, int x, int y);
    virtual void onMouseHover(unsigned keys, int x, int y);
    virtual void onMouseLeave();
    // x and y as the message gives them (screen pixels for the wheel).
    virtual void onMouseWheel(unsigned keys, int delta, int x, int y);
    virtual void onHScroll(int request, int position, LPARAM scrollBar);
    virtual void onVScroll(int request, int position, LPARAM scrollBar);
    virtual void onClose();
    virtual void onDestroy();
    virtual void onNcDestroy();
    // Every message left unhandled: DefWindowProcA of the window.
    virtual LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd = nullptr;
    bool handled = false;
    // Borrowed, in the order added; one listener may appear more than once.
    std::vector<MouseListener*> mouseListeners;

    friend LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);

private:
    static LRESULT dispatch(Window* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The own keeper, else the parent window's.
    KeepAlive* keeperOf() const;

    KeepAlive* keeper = nullptr;
    // Handlers of this window on the thread's stack; the object outlives the window until the
    // last of them returns (destroyed is then set).
    int activeCalls = 0;
    bool destroyed = false;
};

} // namespace Sonarch::Gui
