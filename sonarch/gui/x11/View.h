// The base of the editor's panel under X11: one child window of the host's window, drawn from an
// offscreen copy of the panel, with the controls' mouse rules, the status line and the menus.
#pragma once

#include "sonarch/gui/LabelText.h"
#include "sonarch/gui/MidiLearnMenus.h"
#include "sonarch/gui/ParameterText.h"
#include "sonarch/gui/ViewBookkeeping.h"
#include "sonarch/gui/x11/Controls.h"
#include "sonarch/gui/x11/PopupMenu.h"
#include "sonarch/midi/MidiLearnListener.h"
#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/BankListener.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

namespace Sonarch::X11
{

class Dialog;

// Everything but the four listener callbacks runs on the host's user-interface thread, from the
// editor's idle call, which hands the view the events of its display connection. The callbacks
// (any thread, the audio thread among them) only set flags that the next idle tick takes: no other
// thread touches Xlib. Menus and dialogs do not run loops of their own: they are windows that
// take their events from the same idle calls, and what they were opened for happens when the user
// answers them.
//
// A change handed to the bank reaches the host, which may close the editor from inside that call:
// closeWindows then marks the view closed, and its handlers return without touching anything
// more. The editor deletes the object once the idle call that ran the handler has returned.
class View : public Parameters::BankListener, public Midi::MidiLearnListener
{
public:
    View(const XLibraries& libraries, Display* display, Parameters::BankInterface* bank,
         Midi::MidiLearn* midiLearn, cairo_surface_t* background);
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    void programChanged(Parameters::BankInterface* bank, int program) override;
    void parameterChanged(Parameters::BankInterface* bank, int index, float value) override;
    void programUpdated(Parameters::BankInterface* bank) override;
    void bankUpdated(Parameters::BankInterface* bank) override;
    void learnBegan(Midi::MidiLearn* midiLearn) override;
    void learnEnded(Midi::MidiLearn* midiLearn) override;

    // Makes and shows the window at (0, 0) of parent, the size of the background; false when it
    // could not be made.
    bool createWindow(Window parent);
    Window getWindow() const { return window; }
    // Removes the view from the bank's and the table's listeners (again, harmlessly).
    void stopListening();
    void refreshAllLater() { bookkeeping.refreshAllLater(); }
    // Destroys the windows (menu, dialogs, panel); the view handles nothing afterwards.
    void closeWindows();
    bool isClosed() const { return closed; }

    // One event of the display; those of other windows are ignored.
    void handleEvent(const XEvent& event);
    // The idle tick: changes made elsewhere, hover reports, drawing.
    void idle();

protected:
    // Records a control under its parameter and shows the bank's value on it.
    void addControl(std::unique_ptr<Control> control);
    void setStatusLine(const Gui::PixelRect& place, const Gui::FontDescription* font, Rgb colour);
    void setMenuRect(const Gui::PixelRect& rect) { menuRect = rect; }
    void setStatusText(const char* text);
    void clearStatusText() { setStatusText(""); }
    // The status text of a parameter: "long name: long display label" here.
    virtual void formatParameterText(int index, char* buffer, int size);
    // The main menu's import: chooses a bank file and reads its bindings.
    virtual void importMidiLearn() {}
    virtual void showAbout() {}
    // The derived panel's part of the idle tick, before the drawing.
    virtual void onIdle() {}
    // Opens a dialog over the panel; it takes its events until answered.
    void openDialog(std::unique_ptr<Dialog> dialog);
    // A message with one OK button.
    void showMessage(const char* title, const char* text);

    const XLibraries& x;
    Display* display;
    Parameters::BankInterface* bank;
    Midi::MidiLearn* midiLearn;
    cairo_surface_t* background;

private:
    class Dialogs;
    enum class MenuPurpose
    {
        DropDown,
        MainMenu,
        ControlMenu,
    };

    Control* controlAt(int x, int y) const;
    void pointerMoved(unsigned keys, int x, int y);
    void buttonPressed(const XButtonEvent& event);
    void leave();
    // Hands a control's new value to the bank; false when the view was closed meanwhile.
    bool post(Control& control);
    void showParameterText(int index);
    void showLearnState(bool learning);
    void openMenu(MenuPurpose purpose, Control* control, int panelX, int panelY,
                  const std::vector<Gui::MenuItem>& items, int checkedCommand, int minimumWidth);
    void menuFinished();
    void dialogsFinished();
    void present(const Gui::PixelRect& rect);
    void paintDirty();

    Window window = 0;
    int width = 0;
    int height = 0;
    cairo_surface_t* canvas = nullptr;
    cairo_surface_t* windowSurface = nullptr;
    bool closed = false;

    Gui::ViewBookkeeping<Control> bookkeeping;
    std::vector<std::unique_ptr<Control>> controls;
    Gui::PixelRect menuRect;

    Gui::PixelRect statusPlace;
    const Gui::FontDescription* statusFont = nullptr;
    Rgb statusColour;
    Gui::LabelText statusText;
    bool statusDirty = false;
    char textBuffer[Gui::kStatusTextSize] = {};

    Control* captured = nullptr;
    Control* hovered = nullptr;
    std::chrono::steady_clock::time_point lastMove;

    std::unique_ptr<PopupMenu> menu;
    MenuPurpose menuPurpose = MenuPurpose::DropDown;
    Control* menuControl = nullptr;
    std::vector<std::unique_ptr<Dialog>> dialogs;

    // Set by the listener callbacks on any thread, taken by the idle tick.
    std::atomic<bool> refreshPending{false};
    std::atomic<int> learnNotice{-1};
};

} // namespace Sonarch::X11
