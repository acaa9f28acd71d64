// One rule for sample rates: every component takes the supported range and keeps its rate for
// anything else.
#include "base/SampleRate.h"
#include "components/AdsrEnvelope.h"
#include "components/Chorus.h"
#include "components/Delay.h"
#include "components/Filter.h"
#include "components/Lfo.h"
#include "components/NoiseGenerator.h"
#include "components/Oscillator.h"
#include "components/Overdrive.h"
#include "components/Panner.h"
#include "components/Ramper.h"
#include "components/SlewLimiter.h"
#include "components/Smoother.h"
#include "components/Vca.h"
#include "engine/ComponentCollection.h"
#include "engine/RandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

TEST(SampleRateRuleTest, EveryComponentTakesTheSupportedRangeAndIgnoresTheRest)
{
    RandomGenerator random;
    auto lfo = std::make_unique<Lfo>("L1", random);
    std::vector<std::unique_ptr<IComponent>> components;
    components.push_back(std::make_unique<AdsrEnvelope>("E1"));
    components.push_back(std::make_unique<Chorus>());
    components.push_back(std::make_unique<Delay>());
    components.push_back(std::make_unique<Filter>("F"));
    components.push_back(std::make_unique<Lfo>("L2", random));
    components.push_back(std::make_unique<NoiseGenerator>(random));
    components.push_back(std::make_unique<Oscillator>("O1"));
    components.push_back(std::make_unique<Overdrive>());
    components.push_back(std::make_unique<Panner>());
    components.push_back(std::make_unique<Ramper>("L1", *lfo));
    components.push_back(std::make_unique<SlewLimiter>());
    components.push_back(
        std::make_unique<Smoother>(true, Smoother::kDisplayDecibels, "O1 Lvl", "dB", 1.0f, 1.0f));
    components.push_back(std::make_unique<Vca>());
    components.push_back(std::make_unique<SynthComponentCollection>());
    components.push_back(std::make_unique<EffectComponentCollection>());

    const float inf = std::numeric_limits<float>::infinity();
    for (std::size_t i = 0; i < components.size(); ++i)
    {
        IComponent& component = *components[i];
        for (const float rate : {kMinSampleRateHz, 48000.0f, kMaxSampleRateHz})
        {
            component.setSampleRate(rate);
            EXPECT_EQ(component.getSampleRate(), rate) << "component " << i;
        }
        for (const float rate : {0.0f, -48000.0f, std::nextafter(kMinSampleRateHz, 0.0f),
                                 std::nextafter(kMaxSampleRateHz, inf), inf, std::nanf("")})
        {
            component.setSampleRate(rate);
            EXPECT_EQ(component.getSampleRate(), kMaxSampleRateHz)
                << "component " << i << ", " << rate << " Hz";
        }
    }
}
