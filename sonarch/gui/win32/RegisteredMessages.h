// The editor's registered window messages, numbered by the system once per process.
#pragma once

#include <windows.h>

namespace Sonarch::Gui
{

// Registered during the library's static initialisation under the names of
// sonarch/gui/MessageNames.h, once each, and kept for the life of the library. All are posted,
// never sent. A registration that failed leaves 0, which the toolkit never takes for one of them.
//
// Posted by a control to its parent: wParam the parameter index, lParam the value's float bits.
extern const UINT UWM_CONTROL_VALUE_CHANGED;
// Posted by a control to its parent with lParam the Control.
extern const UINT UWM_CONTROL_RBUTTONDOWN;
extern const UINT UWM_CONTROL_HOVERING;
extern const UINT UWM_CONTROL_LEAVE;
// Taken by any toolkit window: lParam a MouseListener to add, or to remove (every entry of it).
extern const UINT UWM_MOUSELISTENER_ADDED;
extern const UINT UWM_MOUSELISTENER_REMOVED;
// Posted to the view by itself from the bank's callbacks, and by the editor's idle call.
extern const UINT UWM_PROGRAM_INDEX_CHANGED;
extern const UINT UWM_PARAMETER_VALUE_CHANGED;
extern const UINT UWM_PROGRAM_UPDATED;
extern const UINT UWM_BANK_UPDATED;
extern const UINT UWM_IDLE;
// Posted by the view to itself when MIDI learn began (wParam 1) or ended (wParam 0), which may
// happen on the audio thread.
extern const UINT UWM_LEARN_STATE_CHANGED;

// Whether message is the registered message kept in registered (0 matches nothing).
inline bool isRegisteredMessage(UINT message, UINT registered)
{
    return registered != 0 && message == registered;
}

} // namespace Sonarch::Gui
