// Chooses which modulation source feeds each of the filter's two FM inputs.
#pragma once

#include "engine/ISynthComponent.h"
#include "parameters/EnumParameter.h"
#include "parameters/ModulationSources.h"
#include "parameters/ParameterList.h"

class Filter;

// "F FM1S" and "F FM2S" select None, LFO 1, LFO 2, Env 1 or Env 2. A write stores the selection
// and installs the source into the filter under the filter's routing lock; resetParameter resets
// the selection only and leaves the installed source until the next write.
class FilterProgrammer : public ParameterList
{
public:
    enum
    {
        kFM1S = 0,
        kFM2S = 1,
    };

    // The sources are borrowed: the voice's delayed LFO 1 and 2 and its envelopes 1 and 2.
    FilterProgrammer(Filter& target, const ISynthComponent* lfo1, const ISynthComponent* lfo2,
                     const ISynthComponent* env1, const ISynthComponent* env2);

    FilterProgrammer(const FilterProgrammer&) = delete;
    FilterProgrammer& operator=(const FilterProgrammer&) = delete;

protected:
    void parameterChanged(int index) override;

private:
    // Parameters
    EnumParameter fm1Source;
    EnumParameter fm2Source;

    // Sources (borrowed), indexed by the selection; entry 0 is no source.
    const ISynthComponent* sources[kModulationSourceCount];

    // Target (borrowed)
    Filter& filter;
};
