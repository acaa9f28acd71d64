// The panel window's base: bank and MIDI-learn callbacks, idle updates, status texts and menus.
#include "sonarch/gui/win32/View.h"

#include "sonarch/gui/MidiLearnMenus.h"
#include "sonarch/gui/ValueBits.h"
#include "sonarch/gui/win32/DcGraphics.h"
#include "sonarch/gui/win32/EditMidiLearnDialog.h"
#include "sonarch/gui/win32/ImageDrawing.h"
#include "sonarch/gui/win32/RegisteredMessages.h"
#include "sonarch/midi/MidiLearn.h"

#include <climits>
#include <cstring>
#include <vector>

namespace Sonarch
{

using Gui::Control;
using Gui::isRegisteredMessage;

namespace
{

// A popup menu of string items; null when the system made none.
HMENU makeMenu(const std::vector<Gui::MenuItem>& items)
{
    const HMENU menu = CreatePopupMenu();
    if (menu != nullptr)
    {
        for (const Gui::MenuItem& item : items)
        {
            AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(item.command), item.text);
        }
    }
    return menu;
}

// Shows a menu until the user chooses or dismisses it; 0 when dismissed.
int trackMenu(HMENU menu, POINT screen, HWND owner)
{
    if (menu == nullptr)
    {
        return 0;
    }
    return static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD, screen.x, screen.y, 0, owner, nullptr));
}

POINT bottomLeftOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {rect.left, rect.bottom};
}

} // namespace

// Counts the view's menus and dialogs in progress for a scope. The object outlives its window
// while a handler of it runs, so the count may be taken down after the window is gone.
class View::ModalLoop
{
public:
    explicit ModalLoop(View& running) : view(running) { ++view.modalLoops; }
    ~ModalLoop() { --view.modalLoops; }
    ModalLoop(const ModalLoop&) = delete;
    ModalLoop& operator=(const ModalLoop&) = delete;

private:
    View& view;
};

// The menus' dialogs, played by the view. Made on the stack for one command: the view may be gone
// when a modal loop returns, and the commands touch only the MIDI-learn table after one.
class View::Dialogs final : public Gui::MidiLearnDialogs
{
public:
    explicit Dialogs(View& shown) : view(shown) {}
    bool confirmClearAll() override
    {
        const ModalLoop loop(view);
        return view.confirmClearAll();
    }
    void importMidiLearn() override
    {
        const ModalLoop loop(view);
        view.importMidiLearn();
    }
    void showAbout() override
    {
        const ModalLoop loop(view);
        view.showAbout();
    }
    bool chooseController(int parameter, int& selection) override
    {
        const ModalLoop loop(view);
        return view.chooseController(parameter, selection);
    }

private:
    View& view;
};

namespace
{

BOOL CALLBACK closeDialogOf(HWND window, LPARAM root)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(window) != FALSE &&
        GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(root))
    {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

} // namespace

void View::endModalLoops()
{
    if (modalLoops == 0 || hwnd == nullptr)
    {
        return;
    }
    // The menus and dialogs opened over the panel end with it: their answers would reach nobody.
    // Dialogs are owned by the host's top-level window (the system gives a child's dialogs to
    // its root); closing one is its Cancel.
    EndMenu();
    EnumThreadWindows(GetCurrentThreadId(), closeDialogOf,
                      reinterpret_cast<LPARAM>(GetAncestor(hwnd, GA_ROOT)));
}

View::View(Parameters::BankInterface* bankIn, Midi::MidiLearn* midiLearnIn,
           Gui::GpBitmap* backgroundIn)
    : bank(bankIn), midiLearn(midiLearnIn), background(backgroundIn)
{
}

View::~View() = default;

void View::onNcDestroy()
{
    // The owner forgets the view now, even if the object outlives the window for a while (a
    // handler of the view below on the stack).
    if (owner != nullptr)
    {
        owner->viewDestroyed(this);
        owner = nullptr;
    }
}

void View::stopListening()
{
    bank->removeListener(this);
    midiLearn->removeListener(this);
}

bool View::postToSelf(UINT message, WPARAM wParam)
{
    return hwnd != nullptr && message != 0 && PostMessageA(hwnd, message, wParam, 0) != FALSE;
}

void View::programChanged(Parameters::BankInterface*, int)
{
    if (!postToSelf(Gui::UWM_PROGRAM_INDEX_CHANGED, 0))
    {
        bookkeeping.noteLostNotification();
    }
}

void View::parameterChanged(Parameters::BankInterface*, int index, float)
{
    // One notice per parameter until it arrives: the idle tick reads the latest value anyway.
    if (bookkeeping.needsNotice(index) &&
        !postToSelf(Gui::UWM_PARAMETER_VALUE_CHANGED, static_cast<WPARAM>(index)))
    {
        bookkeeping.noteLostNotice(index);
    }
}

void View::programUpdated(Parameters::BankInterface*)
{
    if (!postToSelf(Gui::UWM_PROGRAM_UPDATED, 0))
    {
        bookkeeping.noteLostNotification();
    }
}

void View::bankUpdated(Parameters::BankInterface*)
{
    if (!postToSelf(Gui::UWM_BANK_UPDATED, 0))
    {
        bookkeeping.noteLostNotification();
    }
}

void View::learnBegan(Midi::MidiLearn*)
{
    postLearnState(true);
}

void View::learnEnded(Midi::MidiLearn*)
{
    postLearnState(false);
}

void View::postLearnState(bool learning)
{
    if (!postToSelf(Gui::UWM_LEARN_STATE_CHANGED, learning ? 1 : 0))
    {
        learnStateLost.store(true);
    }
}

void View::showLearnState(bool learning)
{
    if (learning)
    {
        setStatusText(Gui::kLearningText);
    }
    else
    {
        clearStatusText();
    }
}

LRESULT View::onCreate(CREATESTRUCTA*)
{
    getMenuRect(&menuRect);
    return 0;
}

void View::onPaint(HDC dc)
{
    const Gui::DcGraphics graphics(dc);
    Gui::drawImagePart(graphics.get(), background, 0, 0, 0, 0, Gui::imageWidth(background),
                       Gui::imageHeight(background));
}

void View::onDestroy()
{
    stopListening();
    endModalLoops();
}

void View::getMenuRect(RECT* rect)
{
    if (rect != nullptr)
    {
        *rect = {};
    }
}

void View::formatParameterText(int index, char* buffer, int size)
{
    Gui::formatParameterHint(*bank, index, buffer, size);
}

void View::showParameterText(int index)
{
    formatParameterText(index, textBuffer, Gui::kStatusTextSize);
    setStatusText(textBuffer);
}

void View::registerControl(Control* control)
{
    bookkeeping.registerControl(control, *bank);
}

HINSTANCE View::getInstance() const
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
}

LRESULT View::defaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (isRegisteredMessage(message, Gui::UWM_PROGRAM_INDEX_CHANGED) ||
        isRegisteredMessage(message, Gui::UWM_PROGRAM_UPDATED) ||
        isRegisteredMessage(message, Gui::UWM_BANK_UPDATED))
    {
        bookkeeping.refreshAllLater();
        // The last parameter's text belongs to the program that was: the status line shows the
        // learning state instead (cleared when not learning).
        showLearnState(midiLearn->isLearning());
        return 0;
    }
    if (isRegisteredMessage(message, Gui::UWM_PARAMETER_VALUE_CHANGED))
    {
        if (wParam <= INT_MAX)
        {
            bookkeeping.parameterChangedElsewhere(static_cast<int>(wParam));
        }
        return 0;
    }
    if (isRegisteredMessage(message, Gui::UWM_IDLE))
    {
        bookkeeping.idle(*bank);
        if (learnStateLost.exchange(false))
        {
            showLearnState(midiLearn->isLearning());
        }
        return 0;
    }
    if (isRegisteredMessage(message, Gui::UWM_LEARN_STATE_CHANGED))
    {
        showLearnState(wParam != 0);
        return 0;
    }
    if (isRegisteredMessage(message, Gui::UWM_CONTROL_VALUE_CHANGED))
    {
        const int index = wParam <= INT_MAX ? static_cast<int>(wParam) : -1;
        const float value = Gui::valueFromBits(static_cast<std::uint64_t>(lParam));
        // The bank tells the plug-in, which tells the host: a host may close the editor or the
        // instance from inside that call, and the view then shows nothing more.
        if (bookkeeping.controlValueChanged(index, value, *bank, this) && hwnd != nullptr)
        {
            showParameterText(index);
        }
        return 0;
    }
    // The control messages name their sender by address; only a control of this panel is
    // believed.
    auto* control = reinterpret_cast<Control*>(lParam);
    if (isRegisteredMessage(message, Gui::UWM_CONTROL_RBUTTONDOWN))
    {
        if (bookkeeping.holds(control))
        {
            onControlRightClick(control);
        }
        return 0;
    }
    if (isRegisteredMessage(message, Gui::UWM_CONTROL_HOVERING))
    {
        if (bookkeeping.holds(control))
        {
            onControlHovering(control);
        }
        return 0;
    }
    if (isRegisteredMessage(message, Gui::UWM_CONTROL_LEAVE))
    {
        if (bookkeeping.holds(control))
        {
            onControlLeave(control);
        }
        return 0;
    }
    return Window::defaultProc(message, wParam, lParam);
}

void View::onControlHovering(Control* control)
{
    Gui::MidiLearnLock held(*midiLearn);
    // While learning, "Learning..." stays.
    if (!midiLearn->isLearning())
    {
        formatParameterText(control->getId(0), textBuffer, Gui::kStatusTextSize);
        setStatusText(textBuffer);
    }
}

void View::onControlLeave(Control*)
{
    Gui::MidiLearnLock held(*midiLearn);
    if (!midiLearn->isLearning())
    {
        clearStatusText();
    }
}

void View::onLButtonDown(unsigned, int x, int y)
{
    const POINT point = {x, y};
    if (PtInRect(&menuRect, point) == FALSE)
    {
        return;
    }
    const HMENU menu = makeMenu(Gui::mainMenuItems(midiLearn->isLearning()));
    POINT screen = point;
    ClientToScreen(hwnd, &screen);
    const HWND self = hwnd;
    const int command = trackMenuOf(menu, screen, self);
    if (menu != nullptr)
    {
        DestroyMenu(menu);
    }
    if (!holds(self, this))
    {
        return;
    }
    Dialogs dialogs(*this);
    Gui::runMainMenuCommand(command, *midiLearn, dialogs);
}

void View::onControlRightClick(Control* control)
{
    const int count = control->getCount();
    if (count == 1)
    {
        singleParameterMenu(control);
    }
    else if (count > 1)
    {
        severalParametersMenu(control);
    }
}

void View::singleParameterMenu(Control* control)
{
    const int parameter = control->getId(0);
    const HMENU menu = makeMenu(Gui::controlMenuItems());
    const HWND self = hwnd;
    const int command = trackMenuOf(menu, bottomLeftOf(control->getHwnd()), control->getHwnd());
    if (menu != nullptr)
    {
        DestroyMenu(menu);
    }
    if (!holds(self, this))
    {
        return;
    }
    Dialogs dialogs(*this);
    Gui::runControlMenuCommand(command, parameter, *midiLearn, dialogs);
}

void View::severalParametersMenu(Control* control)
{
    const int parameterCount = bank->getParameterCount();
    const HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
    {
        return;
    }
    // Destroying the menu destroys its submenus with it.
    for (int i = 0; i < control->getCount(); ++i)
    {
        const int parameter = control->getId(i);
        const HMENU submenu = CreatePopupMenu();
        if (submenu == nullptr)
        {
            continue;
        }
        AppendMenuA(submenu, MF_STRING, static_cast<UINT_PTR>(Gui::startLearnCommandFor(parameter)),
                    "Start MIDI Learn");
        AppendMenuA(submenu, MF_STRING,
                    static_cast<UINT_PTR>(Gui::editLearnCommandFor(parameter, parameterCount)),
                    "Edit MIDI Learn");
        if (AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                        bank->getParameterLongName(parameter)) == FALSE)
        {
            DestroyMenu(submenu);
        }
    }
    const HWND self = hwnd;
    const int command = trackMenuOf(menu, bottomLeftOf(control->getHwnd()), control->getHwnd());
    DestroyMenu(menu);
    if (!holds(self, this))
    {
        return;
    }
    const Gui::ParameterCommand chosen = Gui::decodeParameterCommand(command, parameterCount);
    Dialogs dialogs(*this);
    Gui::runControlMenuCommand(chosen.command, chosen.parameter, *midiLearn, dialogs);
}

int View::trackMenuOf(HMENU menu, POINT screen, HWND menuOwner)
{
    const ModalLoop loop(*this);
    return trackMenu(menu, screen, menuOwner);
}

bool View::confirmClearAll()
{
    return MessageBoxA(hwnd,
                       "This will erase all MIDI Learn data for this bank. Are you sure you want "
                       "to do this?",
                       "Warning!", MB_OKCANCEL | MB_ICONWARNING) == IDOK;
}

bool View::chooseController(int parameter, int& selection)
{
    const Control* control = bookkeeping.find(parameter);
    return Gui::runEditMidiLearnDialog(
        getInstance(), hwnd, control != nullptr ? control->getHwnd() : nullptr, selection);
}

} // namespace Sonarch
