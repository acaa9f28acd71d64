// The "Edit MIDI Learn" dialog: a list of "None" and the 128 controllers to bind a parameter to.
#pragma once

#include <windows.h>

namespace Sonarch::Gui
{

// The dialog resource and its list box, which the plug-in's resource script provides.
constexpr int kEditMidiLearnDialogId = 1000;
constexpr int kControllerListId = 1000;

// Runs the dialog modally, owned by owner and centred over `over` (the control whose parameter it
// edits; null for the owner), with list entry `selection` selected (0 "None", k + 1
// controller k). Returns true when the user pressed OK; selection is then the entry chosen, or -1
// when the list had none. Cancel, closing the dialog, or a dialog that could not be made return
// false and leave selection alone.
bool runEditMidiLearnDialog(HINSTANCE instance, HWND owner, HWND over, int& selection);

} // namespace Sonarch::Gui
