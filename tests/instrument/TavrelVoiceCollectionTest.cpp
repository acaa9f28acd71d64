// The synthesizer's voices rendered in passes (the filters side by side) against the generic
// collection's render, one voice after the other: the same samples and the same random draws.
#include "instrument/TavrelVoiceCollection.h"

#include "components/Lfo.h"
#include "components/Smoother.h"
#include "engine/RandomGenerator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace
{

// Sixteen voices with their shared sources, rendered as the dispatcher renders them: the
// sources first, then the voices into the left channel.
struct Rig
{
    Rig()
    {
        set("E1 A", 0.05f);
        set("E1 D", 0.2f);
        set("E1 S", 0.6f);
        set("E1 R", 0.12f); // 0.144 s: notes end inside the render
        set("E2 S", 0.3f);
        set("F Res", 0.5f);
        set("F FM1S", 0.25f); // LFO 1
        set("F FM1", 0.4f);
        set("F FM2S", 1.0f); // envelope 2
        set("F FM2", 0.3f);
        set("O1 FM1S", 0.5f); // LFO 2
        set("O1 FM1", 0.1f);
        set("O2 Sync", 1.0f);
        set("O2 Prta", 1.0f);
        set("N On", 1.0f);
        lfo1.setValue(Lfo::kShpe, 1.0f); // sample and hold: draws from the same generator
        lfo1.setValue(Lfo::kSpd, 0.6f);
    }

    void set(const char* shortName, float value)
    {
        char name[8] = {};
        for (int index = 0; index < voices.getParameterCount(); ++index)
        {
            voices.getName(index, name);
            if (std::strcmp(name, shortName) == 0)
            {
                voices.setValue(index, value);
                return;
            }
        }
        ADD_FAILURE() << "no voice parameter " << shortName;
    }

    void renderSources(int count)
    {
        osc1Level.process(count);
        osc2Level.process(count);
        noiseLevel.process(count);
        lfo1.process(count);
        lfo2.process(count);
    }

    RandomGenerator random{7u};
    Smoother osc1Level{true, Smoother::kDisplayDecibels, "O1 Lvl", "dB", 1.0f, 1.0f};
    Smoother osc2Level{true, Smoother::kDisplayDecibels, "O2 Lvl", "dB", 0.8f, 1.0f};
    Smoother noiseLevel{true, Smoother::kDisplayDecibels, "N Lvl", "dB", 0.3f, 1.0f};
    Lfo lfo1{"L1", random};
    Lfo lfo2{"L2", random};
    TavrelVoiceCollection voices{
        TavrelVoiceSources{&osc1Level, &osc2Level, &noiseLevel, &lfo1, &lfo2, &random}};
};

TEST(TavrelVoiceCollectionTest, RendersTheSamplesAndDrawsOfEachVoiceRenderedInTurn)
{
    auto passes = std::make_unique<Rig>();
    auto inTurn = std::make_unique<Rig>();
    std::vector<float> left(kMaxBlockFrames);
    std::vector<float> reference(kMaxBlockFrames);
    const int blocks[] = {512, 64, 1, 8192, 300, 17};
    for (int n = 0; n < 120; ++n)
    {
        // Notes start and end on varying numbers of voices, so that groups of 1 to 16 filters
        // occur and voices fall silent (and draw new phases) in the middle of blocks.
        for (Rig* rig : {passes.get(), inTurn.get()})
        {
            Voice& voice = *rig->voices.getVoice((n * 5) % VoiceCollection::kVoiceCount);
            if (n % 3 == 2)
            {
                voice.release(64);
            }
            else
            {
                voice.trigger(voice.getCurrentNote(), 30 + (n * 7) % 60, 40 + n % 80);
            }
        }
        const int count = blocks[n % 6];
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(reference.begin(), reference.end(), 0.0f);
        passes->renderSources(count);
        passes->voices.process(left.data(), count);
        inTurn->renderSources(count);
        inTurn->voices.VoiceCollection::process(reference.data(), count);
        ASSERT_EQ(std::memcmp(left.data(), reference.data(), sizeof(float) * count), 0)
            << "block " << n << " of " << count << " frames";
    }
    EXPECT_EQ(passes->random.next(), inTurn->random.next());
}

} // namespace
