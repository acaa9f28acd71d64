// The panel window's base under X11.
#include "sonarch/gui/x11/View.h"

#include "sonarch/gui/ControlDrawing.h"
#include "sonarch/gui/MouseKeys.h"
#include "sonarch/gui/x11/Dialog.h"
#include "sonarch/midi/ControllerNames.h"
#include "sonarch/midi/MidiLearn.h"

#include <algorithm>

namespace Sonarch::X11
{

namespace
{

// The X11 key and button state as the portable key bits.
unsigned keysOf(unsigned state)
{
    unsigned keys = 0;
    keys |= (state & ShiftMask) != 0 ? Gui::kKeyShift : 0;
    keys |= (state & ControlMask) != 0 ? Gui::kKeyControl : 0;
    keys |= (state & Button1Mask) != 0 ? Gui::kKeyLeftButton : 0;
    keys |= (state & Button2Mask) != 0 ? Gui::kKeyMiddleButton : 0;
    keys |= (state & Button3Mask) != 0 ? Gui::kKeyRightButton : 0;
    return keys;
}

Gui::PixelRect unite(const Gui::PixelRect& a, const Gui::PixelRect& b)
{
    if (a.isEmpty())
    {
        return b;
    }
    if (b.isEmpty())
    {
        return a;
    }
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace

// The menus' dialogs, as windows that answer later. Each dialog that edits the bindings holds
// the table's edit mark for as long as it is open; the answer does what the modal version does
// after its loop returned.
class View::Dialogs final : public Gui::MidiLearnDialogs
{
public:
    explicit Dialogs(View& shown) : view(shown) {}

    bool confirmClearAll() override
    {
        auto editing = std::make_shared<Gui::MidiLearnEdit>(*view.midiLearn);
        Midi::MidiLearn* table = view.midiLearn;
        view.openDialog(std::make_unique<Dialog>(
            view.x, view.display, view.window, "Warning!",
            "This will erase all MIDI Learn data for this bank. Are you sure you want to do "
            "this?",
            std::vector<std::string>{}, 0, Dialog::kOkCancel,
            [table, editing](bool ok, int)
            {
                if (ok)
                {
                    table->clearAll();
                }
            }));
        return false;
    }
    void importMidiLearn() override { view.importMidiLearn(); }
    void showAbout() override { view.showAbout(); }
    bool chooseController(int parameter, int& selection) override
    {
        auto editing = std::make_shared<Gui::MidiLearnEdit>(*view.midiLearn);
        std::vector<std::string> names = {"None"};
        for (const char* name : Midi::ControllerNames)
        {
            names.emplace_back(name);
        }
        Midi::MidiLearn* table = view.midiLearn;
        view.openDialog(std::make_unique<Dialog>(
            view.x, view.display, view.window, "Edit MIDI Learn", "", std::move(names), selection,
            Dialog::kOkCancel,
            [table, editing, parameter](bool ok, int chosen)
            {
                if (ok)
                {
                    Gui::applyControllerSelection(*table, parameter, chosen);
                }
            }));
        return false;
    }

private:
    View& view;
};

View::View(const XLibraries& libraries, Display* displayIn, Parameters::BankInterface* bankIn,
           Midi::MidiLearn* midiLearnIn, cairo_surface_t* backgroundIn)
    : x(libraries), display(displayIn), bank(bankIn), midiLearn(midiLearnIn),
      background(backgroundIn), width(surfaceWidth(libraries, backgroundIn)),
      height(surfaceHeight(libraries, backgroundIn))
{
}

View::~View()
{
    closeWindows();
}

bool View::createWindow(Window parent)
{
    if (width <= 0 || height <= 0 || parent == 0)
    {
        return false;
    }
    const int screen = x.XDefaultScreen(display);
    window = x.XCreateSimpleWindow(display, parent, 0, 0, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, x.XBlackPixel(display, screen),
                                   x.XBlackPixel(display, screen));
    if (window == 0)
    {
        return false;
    }
    x.XSelectInput(display, window,
                   ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                       LeaveWindowMask | StructureNotifyMask);
    canvas = x.cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    windowSurface = x.cairo_xlib_surface_create(display, window, x.XDefaultVisual(display, screen),
                                                width, height);
    cairo_t* cr = x.cairo_create(canvas);
    Painter painter(x, cr);
    painter.image(background, 0, 0, 0, 0, width, height);
    x.cairo_destroy(cr);
    statusDirty = true;
    x.XMapWindow(display, window);
    x.XFlush(display);
    return true;
}

void View::stopListening()
{
    bank->removeListener(this);
    midiLearn->removeListener(this);
}

void View::closeWindows()
{
    closed = true;
    captured = nullptr;
    hovered = nullptr;
    menu.reset();
    dialogs.clear();
    if (windowSurface != nullptr)
    {
        x.cairo_surface_destroy(windowSurface);
        windowSurface = nullptr;
    }
    if (canvas != nullptr)
    {
        x.cairo_surface_destroy(canvas);
        canvas = nullptr;
    }
    if (window != 0)
    {
        x.XDestroyWindow(display, window);
        x.XFlush(display);
        window = 0;
    }
}

void View::programChanged(Parameters::BankInterface*, int)
{
    refreshPending.store(true);
}

void View::parameterChanged(Parameters::BankInterface*, int index, float)
{
    // The notice waits in the bookkeeping's flags until the idle tick collects it.
    bookkeeping.needsNotice(index);
}

void View::programUpdated(Parameters::BankInterface*)
{
    refreshPending.store(true);
}

void View::bankUpdated(Parameters::BankInterface*)
{
    refreshPending.store(true);
}

void View::learnBegan(Midi::MidiLearn*)
{
    learnNotice.store(1);
}

void View::learnEnded(Midi::MidiLearn*)
{
    learnNotice.store(0);
}

void View::addControl(std::unique_ptr<Control> control)
{
    bookkeeping.registerControl(control.get(), *bank);
    controls.push_back(std::move(control));
}

void View::setStatusLine(const Gui::PixelRect& place, const Gui::FontDescription* font, Rgb colour)
{
    statusPlace = place;
    statusFont = font;
    statusColour = colour;
    statusDirty = true;
}

void View::setStatusText(const char* text)
{
    statusText.set(text);
    statusDirty = true;
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

Control* View::controlAt(int pointerX, int pointerY) const
{
    for (const auto& control : controls)
    {
        if (control->contains(pointerX, pointerY))
        {
            return control.get();
        }
    }
    return nullptr;
}

bool View::post(Control& control)
{
    const int index = control.getId(0);
    if (bookkeeping.controlValueChanged(index, control.getValue(), *bank, this) && !closed)
    {
        showParameterText(index);
    }
    return !closed;
}

void View::handleEvent(const XEvent& event)
{
    if (closed)
    {
        return;
    }
    if (menu != nullptr && menu->handleEvent(event))
    {
        if (menu->isFinished())
        {
            menuFinished();
        }
        return;
    }
    for (const auto& dialog : dialogs)
    {
        if (dialog->handleEvent(event))
        {
            dialogsFinished();
            return;
        }
    }
    if (event.xany.window != window)
    {
        return;
    }
    switch (event.type)
    {
    case Expose:
        present({event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                 event.xexpose.y + event.xexpose.height});
        break;
    case ButtonPress:
        buttonPressed(event.xbutton);
        break;
    case ButtonRelease:
        if (event.xbutton.button == Button1)
        {
            captured = nullptr;
        }
        break;
    case MotionNotify:
        pointerMoved(keysOf(event.xmotion.state), event.xmotion.x, event.xmotion.y);
        break;
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyNormal)
        {
            leave();
        }
        break;
    case DestroyNotify:
        // The host destroyed its window, and this one with it.
        if (event.xdestroywindow.window == window)
        {
            window = 0;
            closeWindows();
        }
        break;
    default:
        break;
    }
}

void View::buttonPressed(const XButtonEvent& event)
{
    Control* control = controlAt(event.x, event.y);
    if (event.button == Button1)
    {
        const unsigned keys = keysOf(event.state) | Gui::kKeyLeftButton;
        if (control == nullptr)
        {
            const bool inMenu = event.x >= menuRect.left && event.x < menuRect.right &&
                                event.y >= menuRect.top && event.y < menuRect.bottom;
            if (inMenu)
            {
                openMenu(MenuPurpose::MainMenu, nullptr, event.x, event.y,
                         Gui::mainMenuItems(midiLearn->isLearning()), 0, 0);
            }
            return;
        }
        if (control->opensList())
        {
            auto* box = static_cast<DropDownBox*>(control);
            std::vector<Gui::MenuItem> items;
            for (int item = 0; item < box->getItemCount(); ++item)
            {
                items.push_back({Gui::DropDownModel::commandForItem(item), box->getItem(item)});
            }
            const Gui::PixelRect& place = box->getPlace();
            openMenu(MenuPurpose::DropDown, box, place.left, place.bottom, items,
                     Gui::DropDownModel::commandForItem(box->getSelected()), place.width());
            return;
        }
        // The pressed control holds the capture until the button's release.
        captured = control;
        const Gui::PixelRect& place = control->getPlace();
        if (control->press(keys, event.x - place.left, event.y - place.top))
        {
            post(*control);
        }
    }
    else if (event.button == Button3 && control != nullptr)
    {
        const Gui::PixelRect& place = control->getPlace();
        openMenu(MenuPurpose::ControlMenu, control, place.left, place.bottom,
                 Gui::controlMenuItems(), 0, 0);
    }
}

void View::pointerMoved(unsigned keys, int pointerX, int pointerY)
{
    if (captured != nullptr && (keys & Gui::kKeyLeftButton) != 0)
    {
        const Gui::PixelRect& place = captured->getPlace();
        if (captured->move(keys, pointerX - place.left, pointerY - place.top) && !post(*captured))
        {
            return;
        }
    }
    Control* under = controlAt(pointerX, pointerY);
    if (under != hovered)
    {
        leave();
        hovered = under;
    }
    if (hovered != nullptr && hovered->hover.onMouseMove(keys))
    {
        lastMove = std::chrono::steady_clock::now();
    }
}

void View::leave()
{
    if (hovered != nullptr && hovered->hover.onLeave())
    {
        const Gui::MidiLearnLock held(*midiLearn);
        if (!midiLearn->isLearning())
        {
            clearStatusText();
        }
    }
    hovered = nullptr;
}

void View::openMenu(MenuPurpose purpose, Control* control, int panelX, int panelY,
                    const std::vector<Gui::MenuItem>& items, int checkedCommand, int minimumWidth)
{
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    const int screen = x.XDefaultScreen(display);
    x.XTranslateCoordinates(display, window, x.XRootWindow(display, screen), panelX, panelY, &rootX,
                            &rootY, &child);
    captured = nullptr;
    leave();
    menu =
        std::make_unique<PopupMenu>(x, display, rootX, rootY, items, checkedCommand, minimumWidth);
    menuPurpose = purpose;
    menuControl = control;
    if (menu->isFinished())
    {
        menu.reset();
    }
}

void View::menuFinished()
{
    const int command = menu->getCommand();
    const MenuPurpose purpose = menuPurpose;
    Control* control = menuControl;
    menu.reset();
    menuControl = nullptr;
    Dialogs shown(*this);
    switch (purpose)
    {
    case MenuPurpose::DropDown:
        if (static_cast<DropDownBox*>(control)->choose(command))
        {
            post(*control);
        }
        break;
    case MenuPurpose::MainMenu:
        Gui::runMainMenuCommand(command, *midiLearn, shown);
        break;
    case MenuPurpose::ControlMenu:
        Gui::runControlMenuCommand(command, control->getId(0), *midiLearn, shown);
        break;
    }
}

void View::openDialog(std::unique_ptr<Dialog> dialog)
{
    if (!closed && dialog->getWindow() != 0)
    {
        dialogs.push_back(std::move(dialog));
    }
}

void View::showMessage(const char* title, const char* text)
{
    openDialog(std::make_unique<Dialog>(x, display, window, title, text, std::vector<std::string>{},
                                        0, Dialog::kOk, nullptr));
}

void View::dialogsFinished()
{
    for (std::size_t i = 0; i < dialogs.size();)
    {
        if (!dialogs[i]->isFinished())
        {
            ++i;
            continue;
        }
        const std::unique_ptr<Dialog> done = std::move(dialogs[i]);
        dialogs.erase(dialogs.begin() + static_cast<std::ptrdiff_t>(i));
        done->answer();
        if (closed)
        {
            return;
        }
    }
}

void View::idle()
{
    if (closed)
    {
        return;
    }
    if (refreshPending.exchange(false))
    {
        bookkeeping.refreshAllLater();
        // The last parameter's text belongs to the program that was.
        showLearnState(midiLearn->isLearning());
    }
    const int learning = learnNotice.exchange(-1);
    if (learning >= 0)
    {
        showLearnState(learning == 1);
    }
    bookkeeping.collectNotices();
    bookkeeping.idle(*bank);
    if (hovered != nullptr && hovered->hover.isWaitingForHover() &&
        std::chrono::steady_clock::now() - lastMove >=
            std::chrono::milliseconds(Gui::HoverTracker::kHoverMilliseconds) &&
        hovered->hover.onHover())
    {
        const Gui::MidiLearnLock held(*midiLearn);
        // While learning, "Learning..." stays.
        if (!midiLearn->isLearning())
        {
            formatParameterText(hovered->getId(0), textBuffer, Gui::kStatusTextSize);
            setStatusText(textBuffer);
        }
    }
    onIdle();
    if (!closed)
    {
        paintDirty();
    }
}

void View::paintDirty()
{
    if (canvas == nullptr)
    {
        return;
    }
    Gui::PixelRect dirty;
    cairo_t* cr = x.cairo_create(canvas);
    Painter painter(x, cr);
    for (const auto& control : controls)
    {
        if (control->takeDirty())
        {
            control->paint(painter, background);
            dirty = unite(dirty, control->getPlace());
        }
    }
    if (statusDirty && statusFont != nullptr)
    {
        statusDirty = false;
        Gui::drawLabel(painter, background, statusText.get(), *statusFont, statusColour,
                       {statusPlace, statusPlace.left, statusPlace.top});
        dirty = unite(dirty, statusPlace);
    }
    x.cairo_destroy(cr);
    if (!dirty.isEmpty())
    {
        present(dirty);
    }
}

void View::present(const Gui::PixelRect& rect)
{
    if (windowSurface == nullptr || canvas == nullptr)
    {
        return;
    }
    x.cairo_surface_flush(canvas);
    cairo_t* cr = x.cairo_create(windowSurface);
    x.cairo_set_source_surface(cr, canvas, 0, 0);
    x.cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    x.cairo_fill(cr);
    x.cairo_destroy(cr);
    x.cairo_surface_flush(windowSurface);
    x.XFlush(display);
}

} // namespace Sonarch::X11
