// The MIDI-learn menus and their commands.
#include "sonarch/gui/MidiLearnMenus.h"

#include "sonarch/midi/MidiLearn.h"

namespace Sonarch::Gui
{

std::vector<MenuItem> mainMenuItems(bool learning)
{
    std::vector<MenuItem> items = {{kClearAllMidiLearn, "Clear All MIDI Learn"},
                                   {kImportMidiLearn, "Import MIDI Learn"}};
    if (learning)
    {
        items.push_back({kCancelMidiLearn, "Cancel MIDI Learn"});
    }
    items.push_back({kAbout, "About..."});
    return items;
}

std::vector<MenuItem> controlMenuItems()
{
    return {{kStartMidiLearn, "Start MIDI Learn"}, {kEditMidiLearn, "Edit MIDI Learn"}};
}

int startLearnCommandFor(int parameter)
{
    return parameter + 1;
}

int editLearnCommandFor(int parameter, int parameterCount)
{
    return parameterCount + parameter + 1;
}

ParameterCommand decodeParameterCommand(int command, int parameterCount)
{
    if (command >= 1 && command <= parameterCount)
    {
        return {kStartMidiLearn, command - 1};
    }
    if (command > parameterCount && command <= 2 * parameterCount)
    {
        return {kEditMidiLearn, command - parameterCount - 1};
    }
    return {0, 0};
}

MidiLearnEdit::MidiLearnEdit(Midi::MidiLearn& midiLearn) : table(midiLearn)
{
    table.beginEdit();
}

MidiLearnEdit::~MidiLearnEdit()
{
    table.endEdit();
}

void runMainMenuCommand(int command, Midi::MidiLearn& midiLearn, MidiLearnDialogs& dialogs)
{
    switch (command)
    {
    case kClearAllMidiLearn:
    {
        const MidiLearnEdit editing(midiLearn);
        if (dialogs.confirmClearAll())
        {
            midiLearn.clearAll();
        }
        break;
    }
    case kImportMidiLearn:
    {
        const MidiLearnEdit editing(midiLearn);
        dialogs.importMidiLearn();
        break;
    }
    case kCancelMidiLearn:
        midiLearn.endLearn();
        break;
    case kAbout:
        dialogs.showAbout();
        break;
    default:
        break;
    }
}

void runControlMenuCommand(int command, int parameter, Midi::MidiLearn& midiLearn,
                           MidiLearnDialogs& dialogs)
{
    switch (command)
    {
    case kStartMidiLearn:
        // A learn already running takes the new target.
        midiLearn.setLearnTarget(parameter);
        midiLearn.beginLearn();
        break;
    case kEditMidiLearn:
        editMidiLearn(parameter, midiLearn, dialogs);
        break;
    default:
        break;
    }
}

void editMidiLearn(int parameter, Midi::MidiLearn& midiLearn, MidiLearnDialogs& dialogs)
{
    const MidiLearnEdit editing(midiLearn);
    midiLearn.endLearn();
    int selection = controllerSelectionOf(midiLearn, parameter);
    if (dialogs.chooseController(parameter, selection))
    {
        applyControllerSelection(midiLearn, parameter, selection);
    }
}

int controllerSelectionOf(const Midi::MidiLearn& midiLearn, int parameter)
{
    const int controller = midiLearn.getController(parameter);
    return controller == Midi::MidiLearn::kNone ? 0 : controller + 1;
}

void applyControllerSelection(Midi::MidiLearn& midiLearn, int parameter, int selection)
{
    if (selection == 0)
    {
        midiLearn.unmap(parameter);
    }
    else if (selection > 0 && selection <= Midi::MidiLearn::kControllerCount)
    {
        midiLearn.map(parameter, selection - 1);
    }
}

} // namespace Sonarch::Gui
