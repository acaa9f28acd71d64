// The toolkit's window class, window procedure and the default handlers of Window.
#include "sonarch/gui/win32/Window.h"

#include "base/KeepAlive.h"
#include "sonarch/gui/win32/MouseListener.h"
#include "sonarch/gui/win32/RegisteredMessages.h"

#include <windowsx.h>

#include <algorithm>
#include <new>

namespace Sonarch::Gui
{

namespace
{

// The object whose window createWindow is making on this thread, until WM_NCCREATE adopts it.
// If CreateWindowExA fails before that (a bad parent, no class), the object is still ours to free.
thread_local Window* unadopted = nullptr;

Window* windowObject(HWND hwnd)
{
    return static_cast<Window*>(GetPropA(hwnd, kWindowObjectProperty));
}

bool isMouseMessage(UINT message)
{
    switch (message)
    {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
    case WM_MOUSEWHEEL:
        return true;
    default:
        return false;
    }
}

unsigned keysOf(WPARAM wParam)
{
    return static_cast<unsigned>(wParam & 0xFFFF);
}

void callListener(MouseListener* listener, Window* window, UINT message, WPARAM wParam,
                  LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    const unsigned keys = keysOf(wParam);
    switch (message)
    {
    case WM_LBUTTONDOWN:
        listener->onLButtonDown(window, keys, x, y);
        break;
    case WM_LBUTTONUP:
        listener->onLButtonUp(window, keys, x, y);
        break;
    case WM_RBUTTONDOWN:
        listener->onRButtonDown(window, keys, x, y);
        break;
    case WM_RBUTTONUP:
        listener->onRButtonUp(window, keys, x, y);
        break;
    case WM_MOUSEMOVE:
        listener->onMouseMove(window, keys, x, y);
        break;
    case WM_MOUSEHOVER:
        listener->onMouseHover(window, keys, x, y);
        break;
    case WM_MOUSELEAVE:
        listener->onMouseLeave(window);
        break;
    case WM_MOUSEWHEEL:
        listener->onMouseWheel(window, keys, GET_WHEEL_DELTA_WPARAM(wParam), x, y);
        break;
    default:
        break;
    }
}

} // namespace

bool registerWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassExA(&windowClass) != 0;
}

void unregisterWindowClass(HINSTANCE instance)
{
    UnregisterClassA(kWindowClassName, instance);
}

Window* Window::createWindow(Window* object, DWORD style, int x, int y, int width, int height,
                             HWND parent, int childId, HINSTANCE instance)
{
    if (object == nullptr)
    {
        return nullptr;
    }
    Window* const outer = unadopted;
    unadopted = object;
    const HWND created =
        CreateWindowExA(0, kWindowClassName, "", style, x, y, width, height, parent,
                        reinterpret_cast<HMENU>(INT_PTR(childId)), instance, object);
    const bool neverAdopted = unadopted == object;
    unadopted = outer;
    if (created == nullptr)
    {
        if (neverAdopted)
        {
            delete object;
        }
        return nullptr;
    }
    return object;
}

bool Window::holds(HWND window, const Window* object)
{
    return window != nullptr && windowObject(window) == object;
}

Window::~Window() = default;

KeepAlive* Window::keeperOf() const
{
    if (keeper != nullptr || hwnd == nullptr)
    {
        return keeper;
    }
    const HWND parent = GetParent(hwnd);
    const Window* const parentObject = parent != nullptr ? windowObject(parent) : nullptr;
    return parentObject != nullptr ? parentObject->keeper : nullptr;
}

BOOL Window::onNcCreate(CREATESTRUCTA*)
{
    return TRUE;
}

LRESULT Window::onCreate(CREATESTRUCTA*)
{
    return 0;
}

void Window::onSize(WPARAM, int, int)
{
    handled = false;
}

void Window::onMove(int, int)
{
    handled = false;
}

void Window::onPaint(HDC)
{
    handled = false;
}

void Window::onEraseBackground(HDC)
{
    handled = false;
}

void Window::onDrawItem(WPARAM, LPARAM)
{
    handled = false;
}

void Window::onSetFocus(WPARAM)
{
    handled = false;
}

void Window::onKillFocus(WPARAM)
{
    handled = false;
}

void Window::onShowWindow(WPARAM, LPARAM)
{
    handled = false;
}

void Window::onCommand(WPARAM, LPARAM)
{
    handled = false;
}

void Window::onChar(WPARAM, int, int)
{
    handled = false;
}

void Window::onKeyDown(WPARAM, int, int)
{
    handled = false;
}

void Window::onKeyUp(WPARAM, int, int)
{
    handled = false;
}

void Window::onCaptureChanged(HWND)
{
    handled = false;
}

void Window::onLButtonDown(unsigned, int, int)
{
    handled = false;
}

void Window::onLButtonUp(unsigned, int, int)
{
    handled = false;
}

void Window::onRButtonDown(unsigned, int, int)
{
    handled = false;
}

void Window::onRButtonUp(unsigned, int, int)
{
    handled = false;
}

void Window::onMouseMove(unsigned, int, int)
{
    handled = false;
}

void Window::onMouseHover(unsigned, int, int)
{
    handled = false;
}

void Window::onMouseLeave()
{
    handled = false;
}

void Window::onMouseWheel(unsigned, int, int, int)
{
    handled = false;
}

void Window::onHScroll(int, int, LPARAM)
{
    handled = false;
}

void Window::onVScroll(int, int, LPARAM)
{
    handled = false;
}

void Window::onClose()
{
    handled = false;
}

void Window::onDestroy()
{
    handled = false;
}

void Window::onNcDestroy() {}

LRESULT Window::defaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* window = create != nullptr ? static_cast<Window*>(create->lpCreateParams) : nullptr;
        // A window of the class made without an object (by CreateWindowExA with no creation
        // parameter) is a plain window.
        if (window == nullptr)
        {
            return DefWindowProcA(hwnd, message, wParam, lParam);
        }
        if (unadopted == window)
        {
            unadopted = nullptr;
        }
        window->hwnd = hwnd;
        window->handled = true;
        const BOOL result = window->onNcCreate(create);
        if (result != FALSE && SetPropA(hwnd, kWindowObjectProperty, window))
        {
            return result;
        }
        RemovePropA(hwnd, kWindowObjectProperty);
        window->hwnd = nullptr;
        delete window;
        return FALSE;
    }

    Window* const window = windowObject(hwnd);
    if (window == nullptr)
    {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    if (message == WM_NCDESTROY)
    {
        window->handled = true;
        window->onNcDestroy();
        RemovePropA(hwnd, kWindowObjectProperty);
        window->hwnd = nullptr;
        // A handler of the window below on this thread's stack (the window destroyed from inside
        // a menu, a dialog or a host call) still runs in the object: it goes when that returns.
        if (window->activeCalls > 0)
        {
            window->destroyed = true;
        }
        else
        {
            delete window;
        }
        return 0;
    }
    if (isRegisteredMessage(message, UWM_MOUSELISTENER_ADDED))
    {
        auto* listener = reinterpret_cast<MouseListener*>(lParam);
        if (listener != nullptr)
        {
            try
            {
                window->mouseListeners.push_back(listener);
            }
            catch (const std::bad_alloc&)
            {
                // No exception may cross the system's frames: the listener is simply not added.
            }
        }
        return 0;
    }
    if (isRegisteredMessage(message, UWM_MOUSELISTENER_REMOVED))
    {
        auto* listener = reinterpret_cast<MouseListener*>(lParam);
        std::erase(window->mouseListeners, listener);
        return 0;
    }

    // The object stays while a handler runs: if the window is destroyed meanwhile, the object is
    // deleted when the outermost handler of this thread has returned. The keeper (the plug-in
    // instance of the panel) is held likewise, so a host that closes the instance from inside a
    // handler's call does not pull the bank or the MIDI-learn table away under it.
    KeepAlive* const keeper = window->keeperOf();
    if (keeper != nullptr)
    {
        keeper->retain();
    }
    ++window->activeCalls;
    const LRESULT result = Window::dispatch(window, hwnd, message, wParam, lParam);
    const bool gone = --window->activeCalls == 0 && window->destroyed;
    if (gone)
    {
        delete window;
    }
    if (keeper != nullptr)
    {
        keeper->release();
    }
    return result;
}

LRESULT Window::dispatch(Window* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    window->handled = true;
    LRESULT result = 0;
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    const unsigned keys = keysOf(wParam);
    switch (message)
    {
    case WM_CREATE:
        result = window->onCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
        if (!Window::holds(hwnd, window))
        {
            return -1;
        }
        if (result == -1)
        {
            RemovePropA(hwnd, kWindowObjectProperty);
            window->hwnd = nullptr;
            window->destroyed = true;
            return -1;
        }
        break;
    case WM_SIZE:
        window->onSize(wParam, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_MOVE:
        window->onMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        break;
    case WM_PAINT:
    {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(hwnd, &paint);
        window->onPaint(dc);
        EndPaint(hwnd, &paint);
        break;
    }
    case WM_ERASEBKGND:
        window->onEraseBackground(reinterpret_cast<HDC>(wParam));
        result = 1;
        break;
    case WM_DRAWITEM:
        window->onDrawItem(wParam, lParam);
        result = 1;
        break;
    case WM_SETFOCUS:
        window->onSetFocus(wParam);
        break;
    case WM_KILLFOCUS:
        window->onKillFocus(wParam);
        break;
    case WM_SHOWWINDOW:
        window->onShowWindow(wParam, lParam);
        break;
    case WM_COMMAND:
        window->onCommand(wParam, lParam);
        result = 1;
        break;
    case WM_CHAR:
        window->onChar(wParam, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_KEYDOWN:
        window->onKeyDown(wParam, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_KEYUP:
        window->onKeyUp(wParam, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_CAPTURECHANGED:
        window->onCaptureChanged(reinterpret_cast<HWND>(lParam));
        break;
    case WM_LBUTTONDOWN:
        window->onLButtonDown(keys, x, y);
        break;
    case WM_LBUTTONUP:
        window->onLButtonUp(keys, x, y);
        break;
    case WM_RBUTTONDOWN:
        window->onRButtonDown(keys, x, y);
        break;
    case WM_RBUTTONUP:
        window->onRButtonUp(keys, x, y);
        break;
    case WM_MOUSEMOVE:
        window->onMouseMove(keys, x, y);
        break;
    case WM_MOUSEHOVER:
        window->onMouseHover(keys, x, y);
        break;
    case WM_MOUSELEAVE:
        window->onMouseLeave();
        break;
    case WM_MOUSEWHEEL:
        window->onMouseWheel(keys, GET_WHEEL_DELTA_WPARAM(wParam), x, y);
        break;
    case WM_HSCROLL:
        window->onHScroll(LOWORD(wParam), HIWORD(wParam), lParam);
        break;
    case WM_VSCROLL:
        window->onVScroll(LOWORD(wParam), HIWORD(wParam), lParam);
        break;
    case WM_CLOSE:
        window->onClose();
        break;
    case WM_DESTROY:
        window->onDestroy();
        break;
    default:
        window->handled = false;
        break;
    }
    // A handler may have destroyed its own window, and so deleted the object.
    if (!Window::holds(hwnd, window))
    {
        return 0;
    }

    if (isMouseMessage(message))
    {
        // By index, and checking the window after each call: a listener may change the list or
        // destroy the window.
        for (std::size_t i = 0; i < window->mouseListeners.size(); ++i)
        {
            callListener(window->mouseListeners[i], window, message, wParam, lParam);
            if (!Window::holds(hwnd, window))
            {
                return 0;
            }
        }
    }

    if (!window->handled)
    {
        return window->defaultProc(message, wParam, lParam);
    }
    return result;
}

} // namespace Sonarch::Gui
