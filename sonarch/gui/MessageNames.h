// The names under which the editor's window messages are registered with the system.
#pragma once

namespace Sonarch::Gui
{

// Names are fixed: a window message registered under the same name by another module gets the same
// number, so these must never change. Controls post the first four to their parent; any window
// takes the mouse-listener pair; the view posts the last six to itself.
constexpr const char* kControlValueChangedName =
    "UWM_CONTROL_VALUE_CHANGED-{43B0FBAD-1FF6-45ed-8BC0-CADE4AF7768B}";
constexpr const char* kControlRButtonDownName =
    "UWM_CONTROL_RBUTTONDOWN-{43B0FBAD-1FF6-45ed-8BC0-CADE4AF7768B}";
constexpr const char* kControlHoveringName =
    "UWM_CONTROL_HOVERING-{43B0FBAD-1FF6-45ed-8BC0-CADE4AF7768B}";
constexpr const char* kControlLeaveName =
    "UWM_CONTROL_LEAVE-{43B0FBAD-1FF6-45ed-8BC0-CADE4AF7768B}";
constexpr const char* kMouseListenerAddedName =
    "UWM_MOUSELISTENER_ADDED-{10CEC6E8-9DCA-4fd7-AA64-4CEB7DAC15ED}";
constexpr const char* kMouseListenerRemovedName =
    "UWM_MOUSELISTENER_REMOVED-{10CEC6E8-9DCA-4fd7-AA64-4CEB7DAC15ED}";
constexpr const char* kProgramIndexChangedName =
    "UWM_PROGRAM_INDEX_CHANGED-{255E6667-5394-4d2e-A1CE-F457F256EE78}";
constexpr const char* kParameterValueChangedName =
    "UWM_PARAMETER_VALUE_CHANGED-{255E6667-5394-4d2e-A1CE-F457F256EE78}";
constexpr const char* kProgramUpdatedName =
    "UWM_PROGRAM_UPDATED-{255E6667-5394-4d2e-A1CE-F457F256EE78}";
constexpr const char* kBankUpdatedName = "UWM_BANK_UPDATED-{255E6667-5394-4d2e-A1CE-F457F256EE78}";
constexpr const char* kIdleName = "UWM_IDLE-{255E6667-5394-4d2e-A1CE-F457F256EE78}";
constexpr const char* kLearnStateChangedName =
    "UWM_LEARN_STATE_CHANGED-{255E6667-5394-4d2e-A1CE-F457F256EE78}";

} // namespace Sonarch::Gui
