// Builds the plug-in instance that the exported entry hands to the host.
#include "instrument/TavrelSynth.h"
#include "plugin/SynthEffect.h"
#include "vst/VstEntry.h"

#ifdef _WIN32
#include "instrument/win32/TavrelEditor.h"
#endif

#include <memory>

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    // The plug-in object takes the synthesizer; an allocation failure in either destroys what
    // was built and passes out.
    auto synthesizer = std::make_unique<TavrelSynth>();
    auto effect = std::make_unique<SynthEffect>(synthesizer.get(), audioMaster);
    synthesizer.release();
#ifdef _WIN32
    // The Windows builds carry the panel; setEditor sets effFlagsHasEditor to match.
    effect->setEditor(new TavrelEditor(effect.get(), effect->getBank(), effect->getMidiLearn()));
#else
    // The Linux build has no editor: hosts show their own view of the parameters.
    effect->setEditor(nullptr);
#endif
    return effect.release();
}
