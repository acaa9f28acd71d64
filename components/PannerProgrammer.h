// Chooses the panner's modulation source: none, LFO 1 or LFO 2.
#pragma once

#include "engine/ISynthComponent.h"
#include "parameters/EnumParameter.h"
#include "parameters/ParameterList.h"

class Panner;

// One parameter, "P MSrc" (items "None", "LFO 1", "LFO 2", label "Source"). Each write installs
// the chosen LFO into the panner through its locked setter; item 0 clears the source, which
// returns the panner to its position mode. resetParameter resets the choice only: the installed
// source stays until the next write. The panner and the LFOs are borrowed and must outlive it.
class PannerProgrammer : public ParameterList
{
public:
    PannerProgrammer(Panner& target, const ISynthComponent* lfo1, const ISynthComponent* lfo2);

    PannerProgrammer(const PannerProgrammer&) = delete;
    PannerProgrammer& operator=(const PannerProgrammer&) = delete;

    void getLongDisplay(int index, char* text) const override;

protected:
    void parameterChanged(int index) override;

private:
    static constexpr int kSourceCount = 3;

    // Parameters
    EnumParameter modulationSource;

    // Sources (borrowed): indexed by the item, entry 0 empty
    const ISynthComponent* sources[kSourceCount];

    // Targets (borrowed)
    Panner& panner;
};
