// The view's MIDI-learn menus: their items, and what each command does to the MIDI-learn table.
#pragma once

#include "sonarch/midi/MidiLearn.h"

#include <vector>

namespace Sonarch::Gui
{

struct MenuItem
{
    int command;
    const char* text;
};

// The main menu, opened by a left click in the panel's top-left corner. "Cancel MIDI Learn" is
// offered only while learning.
enum MainMenuCommand
{
    kClearAllMidiLearn = 1,
    kImportMidiLearn = 2,
    kCancelMidiLearn = 3,
    kAbout = 4,
};
std::vector<MenuItem> mainMenuItems(bool learning);

// The menu of a control that drives one parameter, opened by a right click.
enum ControlMenuCommand
{
    kStartMidiLearn = 1,
    kEditMidiLearn = 2,
};
std::vector<MenuItem> controlMenuItems();

// The menu of a control that drives several parameters has one submenu per parameter; its
// commands encode the parameter: 1..n start learning parameter command - 1, above n edit
// parameter command - n - 1, where n is the bank's parameter count.
int startLearnCommandFor(int parameter);
int editLearnCommandFor(int parameter, int parameterCount);
struct ParameterCommand
{
    int command; // kStartMidiLearn, kEditMidiLearn, or 0 for none
    int parameter;
};
ParameterCommand decodeParameterCommand(int command, int parameterCount);

// What the menus need from the view's dialogs. Each may run a modal loop.
class MidiLearnDialogs
{
public:
    virtual ~MidiLearnDialogs() = default;
    // Asks before every binding is erased; true when the user agreed.
    virtual bool confirmClearAll() = 0;
    // Chooses a bank file and reads its bindings.
    virtual void importMidiLearn() = 0;
    virtual void showAbout() = 0;
    // Lets the user pick the controller of a parameter: selection 0 is "None", k + 1 controller
    // k. Starts with the current selection; returns true when the user confirmed a selection.
    virtual bool chooseController(int parameter, int& selection) = 0;
};

// Holds the table's lock for a scope: only around reads of the tables, never across a modal
// loop, so that the audio thread goes on applying controllers.
using MidiLearnLock = Midi::MidiLearn::Hold;

// Marks a dialog that edits the bindings (beginEdit/endEdit) for a scope: a controller learned
// while it is open is bound when it closes.
class MidiLearnEdit
{
public:
    explicit MidiLearnEdit(Midi::MidiLearn& midiLearn);
    ~MidiLearnEdit();
    MidiLearnEdit(const MidiLearnEdit&) = delete;
    MidiLearnEdit& operator=(const MidiLearnEdit&) = delete;

private:
    Midi::MidiLearn& table;
};

// The commands, run by the view after the menu closed. Each dialog that edits the bindings runs
// inside a MidiLearnEdit. A dismissed menu (command 0) and unknown commands do nothing.
void runMainMenuCommand(int command, Midi::MidiLearn& midiLearn, MidiLearnDialogs& dialogs);
void runControlMenuCommand(int command, int parameter, Midi::MidiLearn& midiLearn,
                           MidiLearnDialogs& dialogs);

// "Edit MIDI Learn": ends a learn in progress, then lets the user choose the controller; OK with
// "None" unbinds the parameter, OK with a controller binds it, Cancel changes nothing.
void editMidiLearn(int parameter, Midi::MidiLearn& midiLearn, MidiLearnDialogs& dialogs);

// The list position of a parameter's binding (0 for none, controller + 1), and its inverse: a
// selection outside 0..128 (the list had none) changes nothing.
int controllerSelectionOf(const Midi::MidiLearn& midiLearn, int parameter);
void applyControllerSelection(Midi::MidiLearn& midiLearn, int parameter, int selection);

} // namespace Sonarch::Gui
