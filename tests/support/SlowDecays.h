// Settings whose tails decay slowly through every recursive path (full resonance, the chorus at
// 0.91 feedback, the delay at 0.6, the overdrive and the moving panner), for tests and benchmarks
// of long silences: within a minute the tail falls below the smallest normal float on its own.
#pragma once

#include "sonarch/parameters/BankInterface.h"

namespace TestSettings
{

inline void applySlowDecays(Sonarch::Parameters::BankInterface& bank)
{
    const struct
    {
        const char* name;
        float value;
    } settings[] = {{"E1 R", 0.2f},  {"E1 S", 1.0f},   {"F Res", 1.0f},  {"F Cut", 0.3f},
                    {"Ch On", 1.0f}, {"Ch FB", 0.91f}, {"Ch Mix", 1.0f}, {"D On", 1.0f},
                    {"D FB", 0.6f},  {"D Mix", 1.0f},  {"OD On", 1.0f},  {"OD Lvl", 0.5f},
                    {"P On", 1.0f},  {"P MSrc", 0.5f}, {"P ModL", 1.0f}};
    for (const auto& setting : settings)
    {
        bank.setParameter(bank.findParameter(setting.name), setting.value);
    }
}

} // namespace TestSettings
