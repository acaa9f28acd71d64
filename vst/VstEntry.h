// The instance factory behind the exported entry, and the module handle on Windows.
#pragma once

#include "vst/VstAbi.h"

class AudioEffect;

// Builds one independent plug-in instance for a host that has answered the version question.
// Defined by the product that links the plug-in base; returns the object whose descriptor the
// entry hands to the host. Allocation failure passes out as an exception.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

// The module handle of the loaded library (an HINSTANCE on Windows, null elsewhere).
void* getModuleHandle();
