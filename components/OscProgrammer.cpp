// Routing of the oscillators' modulation sources, portamento and sync.
#include "components/OscProgrammer.h"

#include "parameters/ModulationSources.h"

OscProgrammer::OscProgrammer(Oscillator& oscillator1, Oscillator& oscillator2,
                             const ISynthComponent* lfo1, const ISynthComponent* lfo2,
                             const ISynthComponent* env1, const ISynthComponent* env2,
                             const ISynthComponent* portamento)
    : o1Fm1Source("O1", "FM1S", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      o1Fm2Source("O1", "FM2S", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      o1PwmSource("O1", "PWMS", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      o2Fm1Source("O2", "FM1S", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      o2Fm2Source("O2", "FM2S", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      o2PwmSource("O2", "PWMS", "Src", 0.0f, kModulationSourceCount - 1, kModulationSourceNames),
      o1Portamento("O1", "Prta"), o2Portamento("O2", "Prta"),
      o2Sync("O2", "Sync"), sources{nullptr, lfo1, lfo2, env1, env2}, slewLimiter(portamento),
      osc1(&oscillator1), osc2(&oscillator2)
{
    addParameter(o1Fm1Source);
    addParameter(o1Fm2Source);
    addParameter(o1PwmSource);
    addParameter(o2Fm1Source);
    addParameter(o2Fm2Source);
    addParameter(o2PwmSource);
    addParameter(o1Portamento);
    addParameter(o2Portamento);
    addParameter(o2Sync);
}

bool OscProgrammer::isPortamentoOn() const
{
    return o1Portamento.getBool() || o2Portamento.getBool();
}

void OscProgrammer::parameterChanged(int index)
{
    // getInt is always inside 0..4, so the table lookups stay in range for any stored value.
    switch (index)
    {
    case kO1Fm1Source:
        osc1->setFmSource(1, sources[o1Fm1Source.getInt()]);
        break;
    case kO1Fm2Source:
        osc1->setFmSource(2, sources[o1Fm2Source.getInt()]);
        break;
    case kO1PwmSource:
        osc1->setPwmSource(sources[o1PwmSource.getInt()]);
        break;
    case kO2Fm1Source:
        osc2->setFmSource(1, sources[o2Fm1Source.getInt()]);
        break;
    case kO2Fm2Source:
        osc2->setFmSource(2, sources[o2Fm2Source.getInt()]);
        break;
    case kO2PwmSource:
        osc2->setPwmSource(sources[o2PwmSource.getInt()]);
        break;
    case kO1Portamento:
        osc1->setPitchSource(o1Portamento.getBool() ? slewLimiter : nullptr);
        break;
    case kO2Portamento:
        osc2->setPitchSource(o2Portamento.getBool() ? slewLimiter : nullptr);
        break;
    case kO2Sync:
        osc2->setSyncMaster(o2Sync.getBool() ? osc1 : nullptr);
        break;
    default:
        break;
    }
}
