// Builds the plug-in instance that the exported entry hands to the host, and sets up what the
// library keeps while it is loaded.
#include "instrument/TavrelSynth.h"
#include "plugin/SynthEffect.h"
#include "vst/VstEntry.h"

#ifdef _WIN32
#include "instrument/win32/TavrelEditor.h"
#include "sonarch/gui/win32/Window.h"
#elif defined(TAVREL_X11_EDITOR)
#include "instrument/x11/TavrelEditor.h"
#endif

#include <memory>

// The editor's one window class, registered for as long as the library is loaded: without it no
// editor could open.
bool attachLibrary(void* module)
{
#ifdef _WIN32
    return Sonarch::Gui::registerWindowClass(static_cast<HINSTANCE>(module));
#else
    (void)module;
    return true;
#endif
}

void detachLibrary(void* module)
{
#ifdef _WIN32
    Sonarch::Gui::unregisterWindowClass(static_cast<HINSTANCE>(module));
#else
    (void)module;
#endif
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    // The plug-in object takes the synthesizer; an allocation failure in either destroys what
    // was built and passes out.
    auto synthesizer = std::make_unique<TavrelSynth>();
    auto effect = std::make_unique<SynthEffect>(synthesizer.get(), audioMaster);
    synthesizer.release();
#if defined(_WIN32) || defined(TAVREL_X11_EDITOR)
    // The panel; setEditor sets effFlagsHasEditor to match. Under X11 the editor touches no
    // library of the desktop before its first open.
    effect->setEditor(new TavrelEditor(effect.get(), effect->getBank(), effect->getMidiLearn()));
#else
    // Built without the X11 headers: hosts show their own view of the parameters.
    effect->setEditor(nullptr);
#endif
    return effect.release();
}
