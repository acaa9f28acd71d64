// Routes modulation sources, portamento and sync into the two oscillators of a voice.
#pragma once

#include "components/Oscillator.h"
#include "engine/ISynthComponent.h"
#include "parameters/BooleanParameter.h"
#include "parameters/EnumParameter.h"
#include "parameters/ModulationSources.h"
#include "parameters/ParameterList.h"

// Each source parameter selects an entry of the source table (0 "None" is no source, then the
// voice's delayed LFO 1 and LFO 2, envelope 1 and envelope 2) and installs it in the oscillator
// through its locked setter at once. resetParameter resets the parameter only: the installed
// source stays until the next setValue of that index.
class OscProgrammer : public ParameterList
{
public:
    enum ParameterIndex
    {
        kO1Fm1Source = 0,
        kO1Fm2Source,
        kO1PwmSource,
        kO2Fm1Source,
        kO2Fm2Source,
        kO2PwmSource,
        kO1Portamento,
        kO2Portamento,
        kO2Sync,
        kParameterCount
    };

    // All pointers are borrowed and must outlive the programmer; sources may be null.
    OscProgrammer(Oscillator& oscillator1, Oscillator& oscillator2, const ISynthComponent* lfo1,
                  const ISynthComponent* lfo2, const ISynthComponent* env1,
                  const ISynthComponent* env2, const ISynthComponent* portamento);

    OscProgrammer(const OscProgrammer&) = delete;
    OscProgrammer& operator=(const OscProgrammer&) = delete;

    // True while "O1 Prta" or "O2 Prta" is on: only then does the voice need to run the
    // portamento slew limiter.
    bool isPortamentoOn() const;

protected:
    void parameterChanged(int index) override;

private:
    // Parameters
    EnumParameter o1Fm1Source;
    EnumParameter o1Fm2Source;
    EnumParameter o1PwmSource;
    EnumParameter o2Fm1Source;
    EnumParameter o2Fm2Source;
    EnumParameter o2PwmSource;
    BooleanParameter o1Portamento;
    BooleanParameter o2Portamento;
    BooleanParameter o2Sync;

    // Sources (borrowed); entry 0 is none
    const ISynthComponent* sources[kModulationSourceCount];
    const ISynthComponent* slewLimiter;

    // Targets (borrowed)
    Oscillator* osc1;
    Oscillator* osc2;
};
