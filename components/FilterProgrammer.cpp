// Routing of modulation sources into the filter's FM inputs.
#include "components/FilterProgrammer.h"

#include "components/Filter.h"

FilterProgrammer::FilterProgrammer(Filter& target, const ISynthComponent* lfo1,
                                   const ISynthComponent* lfo2, const ISynthComponent* env1,
                                   const ISynthComponent* env2)
    : fm1Source("F", "FM1S", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      fm2Source("F", "FM2S", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      sources{nullptr, lfo1, lfo2, env1, env2}, filter(target)
{
    addParameter(fm1Source);
    addParameter(fm2Source);
}

void FilterProgrammer::parameterChanged(int index)
{
    // getInt stays inside 0..4 whatever value arrived, so the table lookup cannot overrun.
    switch (index)
    {
    case kFM1S:
        filter.setFmSource(1, sources[fm1Source.getInt()]);
        break;
    case kFM2S:
        filter.setFmSource(2, sources[fm2Source.getInt()]);
        break;
    default:
        break;
    }
}
