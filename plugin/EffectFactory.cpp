// Builds the plug-in instance that the exported entry hands to the host.
#include "instrument/TavrelSynth.h"
#include "plugin/SynthEffect.h"
#include "vst/VstEntry.h"

#include <memory>

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    // The plug-in object takes the synthesizer; an allocation failure in either destroys what
    // was built and passes out.
    auto synthesizer = std::make_unique<TavrelSynth>();
    auto* effect = new SynthEffect(synthesizer.get(), audioMaster);
    synthesizer.release();
    // The editor comes with the window toolkit; until then the instance has none.
    effect->setEditor(nullptr);
    return effect;
}
