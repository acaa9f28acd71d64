// Registration of the editor's window messages at static initialisation.
#include "sonarch/gui/win32/RegisteredMessages.h"

#include "sonarch/gui/MessageNames.h"

namespace Sonarch::Gui
{

const UINT UWM_CONTROL_VALUE_CHANGED = RegisterWindowMessageA(kControlValueChangedName);
const UINT UWM_CONTROL_RBUTTONDOWN = RegisterWindowMessageA(kControlRButtonDownName);
const UINT UWM_CONTROL_HOVERING = RegisterWindowMessageA(kControlHoveringName);
const UINT UWM_CONTROL_LEAVE = RegisterWindowMessageA(kControlLeaveName);
const UINT UWM_MOUSELISTENER_ADDED = RegisterWindowMessageA(kMouseListenerAddedName);
const UINT UWM_MOUSELISTENER_REMOVED = RegisterWindowMessageA(kMouseListenerRemovedName);
const UINT UWM_PROGRAM_INDEX_CHANGED = RegisterWindowMessageA(kProgramIndexChangedName);
const UINT UWM_PARAMETER_VALUE_CHANGED = RegisterWindowMessageA(kParameterValueChangedName);
const UINT UWM_PROGRAM_UPDATED = RegisterWindowMessageA(kProgramUpdatedName);
const UINT UWM_BANK_UPDATED = RegisterWindowMessageA(kBankUpdatedName);
const UINT UWM_IDLE = RegisterWindowMessageA(kIdleName);
const UINT UWM_LEARN_STATE_CHANGED = RegisterWindowMessageA(kLearnStateChangedName);

} // namespace Sonarch::Gui
