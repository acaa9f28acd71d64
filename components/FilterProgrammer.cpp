// Routing of modulation sources into the filter's FM inputs.
#include "components/FilterProgrammer.h"

#include "components/Filter.h"

FilterProgrammer::FilterProgrammer(Filter& target, const ISynthComponent* lfo1,
                                   const ISynthComponent* lfo2, const ISynthComponent* env1,
                                   const ISynthComponent* env2)
    : FM1S("F", "FM1S", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      FM2S("F", "FM2S", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      sources{nullptr, lfo1, lfo2, env1, env2}, filter(target)
{
    addParameter(FM1S);
    addParameter(FM2S);
}

void FilterProgrammer::parameterChanged(int index)
{
    // getInt stays inside 0..4 whatever value arrived, so the table lookup cannot overrun.
    switch (index)
    {
    case kFM1S:
        filter.setFmSource(1, sources[FM1S.getInt()]);
        break;
    case kFM2S:
        filter.setFmSource(2, sources[FM2S.getInt()]);
        break;
    default:
        break;
    }
}
