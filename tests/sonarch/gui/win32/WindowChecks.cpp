// Toolkit windows: registered messages, windows without an object, lifetimes and deletion exactly
// once, decoding and dispatch of messages, mouse listeners.
#include "tests/sonarch/gui/win32/GuiCheck.h"

#include "sonarch/gui/MessageNames.h"
#include "sonarch/gui/win32/MouseListener.h"
#include "sonarch/gui/win32/RegisteredMessages.h"
#include "sonarch/gui/win32/Window.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace Sonarch::Gui;

namespace GuiCheck
{

namespace
{

struct Lifetimes
{
    int constructed = 0;
    int deleted = 0;
    int destroyCalls = 0;
    int ncDestroyCalls = 0;
};
Lifetimes lifetimes;
std::vector<std::string> events;

enum class Refuse
{
    Nothing,
    NcCreate,
    Create
};

class Probe : public Window
{
public:
    static Probe* make(Refuse refuse, DWORD style, HWND parent)
    {
        return static_cast<Probe*>(
            createWindow(new Probe(refuse), style, 0, 0, 120, 90, parent, 0, testInstance));
    }
    ~Probe() override { ++lifetimes.deleted; }

    bool destroyOnClick = false;
    bool handleErase = false;
    std::vector<UINT> defaultMessages;

protected:
    BOOL onNcCreate(CREATESTRUCTA*) override { return refuse != Refuse::NcCreate; }
    LRESULT onCreate(CREATESTRUCTA*) override { return refuse == Refuse::Create ? -1 : 0; }
    void onLButtonDown(unsigned keys, int x, int y) override
    {
        events.push_back("window down " + std::to_string(keys) + " " + std::to_string(x) + " " +
                         std::to_string(y));
        if (destroyOnClick)
        {
            DestroyWindow(hwnd);
        }
    }
    void onMouseMove(unsigned keys, int x, int y) override
    {
        events.push_back("window move " + std::to_string(keys) + " " + std::to_string(x) + " " +
                         std::to_string(y));
    }
    void onMouseWheel(unsigned keys, int delta, int, int) override
    {
        events.push_back("window wheel " + std::to_string(keys) + " " + std::to_string(delta));
    }
    void onEraseBackground(HDC) override { handled = handleErase; }
    void onDestroy() override { ++lifetimes.destroyCalls; }
    void onNcDestroy() override { ++lifetimes.ncDestroyCalls; }
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        defaultMessages.push_back(message);
        return Window::defaultProc(message, wParam, lParam);
    }

private:
    explicit Probe(Refuse refuseIn) : refuse(refuseIn) { ++lifetimes.constructed; }
    Refuse refuse;
};

class LoggingListener : public MouseListener
{
public:
    explicit LoggingListener(std::string nameIn) : name(std::move(nameIn)) {}

    void onLButtonDown(Window*, unsigned keys, int x, int y) override
    {
        events.push_back(name + " down " + std::to_string(keys) + " " + std::to_string(x) + " " +
                         std::to_string(y));
    }
    void onLButtonUp(Window*, unsigned, int, int) override { events.push_back(name + " up"); }
    void onRButtonDown(Window*, unsigned, int, int) override {}
    void onRButtonUp(Window*, unsigned, int, int) override {}
    void onMouseMove(Window*, unsigned keys, int x, int y) override
    {
        events.push_back(name + " move " + std::to_string(keys) + " " + std::to_string(x) + " " +
                         std::to_string(y));
    }
    void onMouseHover(Window*, unsigned, int, int) override {}
    void onMouseLeave(Window*) override { events.push_back(name + " leave"); }
    void onMouseWheel(Window*, unsigned keys, int delta, int, int) override
    {
        events.push_back(name + " wheel " + std::to_string(keys) + " " + std::to_string(delta));
    }

private:
    std::string name;
};

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
    {
        text += (text.empty() ? "" : " | ") + line;
    }
    return text;
}

} // namespace

void checkRegisteredMessages()
{
    section("registered messages");
    const std::pair<const char*, UINT> messages[] = {
        {kControlValueChangedName, UWM_CONTROL_VALUE_CHANGED},
        {kControlRButtonDownName, UWM_CONTROL_RBUTTONDOWN},
        {kControlHoveringName, UWM_CONTROL_HOVERING},
        {kControlLeaveName, UWM_CONTROL_LEAVE},
        {kMouseListenerAddedName, UWM_MOUSELISTENER_ADDED},
        {kMouseListenerRemovedName, UWM_MOUSELISTENER_REMOVED},
        {kProgramIndexChangedName, UWM_PROGRAM_INDEX_CHANGED},
        {kParameterValueChangedName, UWM_PARAMETER_VALUE_CHANGED},
        {kProgramUpdatedName, UWM_PROGRAM_UPDATED},
        {kBankUpdatedName, UWM_BANK_UPDATED},
        {kIdleName, UWM_IDLE},
        {kLearnStateChangedName, UWM_LEARN_STATE_CHANGED},
    };
    std::set<UINT> distinct;
    bool allMatch = true;
    for (const auto& [name, number] : messages)
    {
        allMatch = allMatch && number >= 0xC000 && RegisterWindowMessageA(name) == number;
        distinct.insert(number);
    }
    check(allMatch, "all 12 are registered under their exact names before main");
    check(distinct.size() == 12, "they are 12 distinct messages");
}

void checkWindowWithoutObject()
{
    section("a window of the class without an object");
    const HWND plain = CreateWindowExA(0, kWindowClassName, "start", WS_POPUP, 0, 0, 50, 50,
                                       nullptr, nullptr, testInstance, nullptr);
    check(plain != nullptr, "is created (its creation goes to DefWindowProcA)");
    char text[32] = {};
    GetWindowTextA(plain, text, sizeof(text));
    check(std::string(text) == "start", "DefWindowProcA took its title at creation");
    SendMessageA(plain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("plain"));
    GetWindowTextA(plain, text, sizeof(text));
    check(std::string(text) == "plain", "DefWindowProcA handles its messages afterwards");
    LoggingListener listener("L");
    events.clear();
    SendMessageA(plain, UWM_MOUSELISTENER_ADDED, 0, reinterpret_cast<LPARAM>(&listener));
    SendMessageA(plain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    check(events.empty(), "takes no listener and calls none");
    check(DestroyWindow(plain) != FALSE, "is destroyed");
}

void checkLifetimes()
{
    section("window lifetimes");
    lifetimes = {};
    check(Probe::make(Refuse::Create, WS_POPUP, nullptr) == nullptr,
          "onCreate returning -1 fails the creation");
    check(lifetimes.constructed == 1 && lifetimes.deleted == 1,
          "and deletes the object exactly once");
    check(lifetimes.destroyCalls == 0 && lifetimes.ncDestroyCalls == 0,
          "the deleted object hears nothing of the window's destruction");

    lifetimes = {};
    check(Probe::make(Refuse::NcCreate, WS_POPUP, nullptr) == nullptr,
          "onNcCreate returning false fails the creation");
    check(lifetimes.deleted == 1, "and deletes the object exactly once");

    lifetimes = {};
    check(Probe::make(Refuse::Nothing, WS_CHILD | WS_VISIBLE, nullptr) == nullptr,
          "a child window without a parent is refused before WM_NCCREATE");
    check(lifetimes.constructed == 1 && lifetimes.deleted == 1,
          "and the object it never received is deleted exactly once");

    lifetimes = {};
    Probe* probe = Probe::make(Refuse::Nothing, WS_POPUP, nullptr);
    check(probe != nullptr && IsWindow(probe->getHwnd()), "a window is created for its object");
    const HWND hwnd = probe != nullptr ? probe->getHwnd() : nullptr;
    check(GetPropA(hwnd, kWindowObjectProperty) == probe, "the object is its WindowObject");
    DestroyWindow(hwnd);
    check(lifetimes.destroyCalls == 1 && lifetimes.ncDestroyCalls == 1 && lifetimes.deleted == 1,
          "destroying it calls onDestroy and onNcDestroy, then deletes the object once");
    SendMessageA(hwnd, WM_LBUTTONDOWN, 0, 0);
    check(lifetimes.deleted == 1, "messages for the dead window reach nothing");

    lifetimes = {};
    Probe* parent = Probe::make(Refuse::Nothing, WS_POPUP, nullptr);
    Probe* child = Probe::make(Refuse::Nothing, WS_CHILD, parent->getHwnd());
    check(child != nullptr && GetParent(child->getHwnd()) == parent->getHwnd(),
          "a child is created in its parent");
    DestroyWindow(parent->getHwnd());
    check(lifetimes.constructed == 2 && lifetimes.deleted == 2,
          "destroying the parent deletes both objects");

    lifetimes = {};
    events.clear();
    Probe* selfDestroying = Probe::make(Refuse::Nothing, WS_POPUP, nullptr);
    selfDestroying->destroyOnClick = true;
    LoggingListener listener("L");
    const HWND doomed = selfDestroying->getHwnd();
    SendMessageA(doomed, UWM_MOUSELISTENER_ADDED, 0, reinterpret_cast<LPARAM>(&listener));
    SendMessageA(doomed, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 2));
    check(!IsWindow(doomed) && lifetimes.deleted == 1,
          "a handler that destroys its own window deletes the object once");
    check(joined(events) == "window down 1 1 2",
          "and the window procedure touches neither the object nor its listeners afterwards");
}

void checkDispatch()
{
    section("message dispatch");
    lifetimes = {};
    Probe* probe = Probe::make(Refuse::Nothing, WS_POPUP, nullptr);
    const HWND hwnd = probe->getHwnd();
    LoggingListener first("A");
    LoggingListener second("B");

    events.clear();
    SendMessageA(hwnd, UWM_MOUSELISTENER_ADDED, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageA(hwnd, UWM_MOUSELISTENER_ADDED, 0, reinterpret_cast<LPARAM>(&second));
    SendMessageA(hwnd, UWM_MOUSELISTENER_ADDED, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    check(joined(events) ==
              "window down 1 10 20 | A down 1 10 20 | B down 1 10 20 | A down 1 10 20",
          "a mouse message reaches the window, then the listeners in order (one added twice "
          "is called twice): " +
              joined(events));

    events.clear();
    SendMessageA(hwnd, UWM_MOUSELISTENER_REMOVED, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    check(joined(events) == "window down 1 10 20 | B down 1 10 20",
          "one removal removes every entry of a listener: " + joined(events));

    events.clear();
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, -300));
    SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-120)),
                 MAKELPARAM(400, 300));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
    SendMessageA(hwnd, WM_MOUSELEAVE, 0, 0);
    check(joined(events) == "window move 5 -5 -300 | B move 5 -5 -300 | window wheel 8 -120 | "
                            "B wheel 8 -120 | B up | B leave",
          "keys, signed coordinates and the wheel delta are decoded for both: " + joined(events));
    check(std::count(probe->defaultMessages.begin(), probe->defaultMessages.end(),
                     static_cast<UINT>(WM_LBUTTONUP)) == 1,
          "a mouse message the window does not handle still goes to defaultProc");

    probe->defaultMessages.clear();
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 90));
    SendMessageA(hwnd, UWM_IDLE, 0, 0);
    SendMessageA(hwnd, WM_USER + 7, 0, 0);
    check(probe->defaultMessages ==
              std::vector<UINT>{WM_SIZE, UWM_IDLE, static_cast<UINT>(WM_USER + 7)},
          "unhandled, registered and unlisted messages go to defaultProc");

    probe->defaultMessages.clear();
    const HDC dc = GetDC(hwnd);
    probe->handleErase = true;
    const LRESULT handledErase = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    probe->handleErase = false;
    const LRESULT defaultErase = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(hwnd, dc);
    check(handledErase == 1 && probe->defaultMessages == std::vector<UINT>{WM_ERASEBKGND},
          "a handled WM_ERASEBKGND returns 1, an unhandled one goes to DefWindowProcA");
    check(defaultErase == 0, "which erases nothing: the class has no background brush");

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    check(GetClassInfoExA(testInstance, kWindowClassName, &windowClass) &&
              windowClass.style == (CS_HREDRAW | CS_VREDRAW) &&
              windowClass.hbrBackground == nullptr && windowClass.hCursor != nullptr &&
              windowClass.cbClsExtra == 0 && windowClass.cbWndExtra == 0,
          "the class redraws on resize, has the arrow cursor and no brush or extra bytes");
    DestroyWindow(hwnd);
}

} // namespace GuiCheck
