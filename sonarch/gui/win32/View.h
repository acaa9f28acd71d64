// The base of the editor's panel window: keeps the controls in step with the bank, hands the
// user's changes to the bank, shows status texts, and offers the MIDI-learn menus and dialogs.
#pragma once

#include "sonarch/gui/ParameterText.h"
#include "sonarch/gui/ViewBookkeeping.h"
#include "sonarch/gui/win32/Control.h"
#include "sonarch/gui/win32/GdiPlus.h"
#include "sonarch/gui/win32/Window.h"
#include "sonarch/midi/MidiLearnListener.h"
#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/BankListener.h"

#include <atomic>

namespace Sonarch
{

namespace Midi
{
class MidiLearn;
}

class View;

// Told on the view's thread when a view's window is gone, so that its owner forgets it: the host
// may destroy its own window, and with it the view, without closing the editor first.
class ViewOwner
{
public:
    virtual ~ViewOwner() = default;
    virtual void viewDestroyed(View* view) = 0;
};

// The bank and MIDI learn report changes on any thread (host automation and learned controllers
// arrive on the audio thread): every callback only posts a registered message to the view's own
// window, and the work happens when the view's thread takes it, parameter values at the next idle
// tick. The view never lets another thread touch a window.
//
// The owner adds the view to the bank's and the table's listeners after creating it and removes
// it before destroying the window; the view also removes itself when its window is destroyed by
// anybody else. Once removal returns, no callback runs in the view any more (the listener lists
// wait for walks in progress), so the object may go.
//
// The MIDI-learn table's lock is held only while the view reads the table, never across a menu
// or dialog, so learned controllers keep playing; the dialogs that edit the bindings mark
// themselves as edits (a controller learned meanwhile is bound when they close). Every modal loop
// and every change handed to the bank (which the plug-in reports to the host) may see the panel
// destroyed: afterwards the view touches itself again only if its window still holds it. The
// object itself outlives its window until its handler returns (Window), and the plug-in instance
// is held by the window procedure meanwhile.
class View : public Gui::Window, public Parameters::BankListener, public Midi::MidiLearnListener
{
public:
    // Bank callbacks, any thread: post UWM_PROGRAM_INDEX_CHANGED, UWM_PARAMETER_VALUE_CHANGED
    // (wParam the index), UWM_PROGRAM_UPDATED and UWM_BANK_UPDATED to the view's window.
    void programChanged(Parameters::BankInterface* bank, int program) override;
    void parameterChanged(Parameters::BankInterface* bank, int index, float value) override;
    void programUpdated(Parameters::BankInterface* bank) override;
    void bankUpdated(Parameters::BankInterface* bank) override;
    // MIDI-learn callbacks, any thread: post UWM_LEARN_STATE_CHANGED (wParam 1 began, 0 ended);
    // the view shows "Learning..." from the first and clears the status line at the second.
    void learnBegan(Midi::MidiLearn* midiLearn) override;
    void learnEnded(Midi::MidiLearn* midiLearn) override;

    // The owner to tell when the window is gone (null for none).
    void setOwner(ViewOwner* newOwner) { owner = newOwner; }
    // Called by the owner once the view listens: every control is set from the bank at the next
    // idle tick, which catches changes made between the controls' creation and the listening.
    void refreshAllLater() { bookkeeping.refreshAllLater(); }
    // Removes the view from the bank's and the table's listeners (again, harmlessly).
    void stopListening();

protected:
    View(Parameters::BankInterface* bank, Midi::MidiLearn* midiLearn, Gui::GpBitmap* background);
    ~View() override;

    LRESULT onCreate(CREATESTRUCTA* create) override;
    // The panel image at its own size.
    void onPaint(HDC dc) override;
    // A left click inside the menu rectangle opens the main menu.
    void onLButtonDown(unsigned keys, int x, int y) override;
    // Stops listening: the window may be destroyed by the host without the editor's close.
    void onDestroy() override;
    // Tells the owner that the window is gone.
    void onNcDestroy() override;
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual void clearStatusText() {}
    virtual void setStatusText(const char* /*text*/) {}
    // Where a left click opens the main menu; empty here.
    virtual void getMenuRect(RECT* rect);
    // The text of a parameter just changed on the panel, shown whether learning or not.
    virtual void showParameterText(int index);
    virtual void onControlRightClick(Gui::Control* control);
    virtual void onControlHovering(Gui::Control* control);
    virtual void onControlLeave(Gui::Control* control);
    virtual void importMidiLearn() {}
    virtual void showAbout() {}
    // "long name: long display label".
    virtual void formatParameterText(int index, char* buffer, int size);

    // Records a control under its parameters and shows the bank's values on it.
    void registerControl(Gui::Control* control);

    // The module whose resources the view's dialogs come from.
    HINSTANCE getInstance() const;

    // Sources (borrowed)
    Parameters::BankInterface* bank;
    Midi::MidiLearn* midiLearn;
    Gui::GpBitmap* background;
    // State
    Gui::ViewBookkeeping<Gui::Control> bookkeeping;
    RECT menuRect = {};
    char textBuffer[Gui::kStatusTextSize] = {};

private:
    class Dialogs;
    class ModalLoop;

    // Post a message to the own window. A post the system refuses (a full queue) is made good at
    // the next idle tick: by a full refresh, or by showing the learning state as it is then.
    bool postToSelf(UINT message, WPARAM wParam);
    void postLearnState(bool learning);
    void showLearnState(bool learning);
    // Shows a popup menu until chosen or dismissed (0), counted as a modal loop.
    int trackMenuOf(HMENU menu, POINT screen, HWND menuOwner);
    // Ends the menus and dialogs the view has open (the panel is being destroyed).
    void endModalLoops();
    void singleParameterMenu(Gui::Control* control);
    void severalParametersMenu(Gui::Control* control);
    bool confirmClearAll();
    bool chooseController(int parameter, int& selection);

    ViewOwner* owner = nullptr;
    std::atomic<bool> learnStateLost{false};
    int modalLoops = 0;
};

} // namespace Sonarch
