// Installs the chosen LFO into the panner.
#include "components/PannerProgrammer.h"

#include "components/Panner.h"
#include "parameters/ModulationSources.h"

PannerProgrammer::PannerProgrammer(Panner& target, const ISynthComponent* lfo1,
                                   const ISynthComponent* lfo2)
    : modulationSource("P", "MSrc", "Source", 0.0f, kSourceCount - 1, kModulationSourceNames),
      sources{nullptr, lfo1, lfo2}, panner(target)
{
    addParameter(modulationSource);
}

void PannerProgrammer::parameterChanged(int index)
{
    if (index == 0)
    {
        // getInt stays inside 0..2 whatever value arrived.
        panner.setSource(sources[modulationSource.getInt()]);
    }
}

void PannerProgrammer::getLongDisplay(int index, char* text) const
{
    if (index == 0)
    {
        modulationSource.getLongDisplay(text);
    }
}
