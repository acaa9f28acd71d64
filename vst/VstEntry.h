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

// Called by the Windows library entry when a process attaches the library and when it detaches
// it, with the module handle; defined by the product (the editor's window class lives as long as
// the library). A false answer to attachLibrary refuses the load.
bool attachLibrary(void* module);
void detachLibrary(void* module);
