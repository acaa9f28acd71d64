// What every effect of the chain must do: give the same samples however a render is split, allocate
// nothing while processing, and fall silent after a reset.
#include "components/Chorus.h"
#include "components/Delay.h"
#include "components/Overdrive.h"
#include "components/Panner.h"
#include "components/Vca.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <memory>

using namespace TestEffects;

namespace
{

// Each effect's case: the effect with settings that glide while it renders, the signal it renders,
// the length of the pieces the split render takes, and what it does on the audio thread besides
// processing. The renders run at 44100 Hz.
template <typename Effect>
struct EffectCase;

template <>
struct EffectCase<Overdrive>
{
    static std::unique_ptr<Overdrive> make()
    {
        auto overdrive = std::make_unique<Overdrive>();
        overdrive->setValue(0, 1.0f);
        overdrive->setValue(1, 0.7f);
        return overdrive;
    }
    static StereoSignal signal()
    {
        StereoSignal x(8192);
        x.left = noise(8192, 3u, 0.9f);
        return x;
    }
    static constexpr int kPieceFrames = 37;
    // After a reset the filter chains keep only their anti-denormal offset on the first channel.
    static constexpr bool kLeavesResidue = true;
    static void alsoOnTheAudioThread(Overdrive&) {}
};

template <>
struct EffectCase<Panner>
{
    static std::unique_ptr<Panner> make()
    {
        auto panner = std::make_unique<Panner>();
        panner->setValue(0, 1.0f);
        panner->setValue(1, 0.9f); // the position glides
        return panner;
    }
    static StereoSignal signal()
    {
        StereoSignal x(6000);
        x.left = noise(6000, 11u, 1.0f);
        return x;
    }
    static constexpr int kPieceFrames = 77;
    static constexpr bool kLeavesResidue = false;
    static void alsoOnTheAudioThread(Panner&) {}
};

template <>
struct EffectCase<Chorus>
{
    static std::unique_ptr<Chorus> make()
    {
        auto chorus = std::make_unique<Chorus>();
        chorus->setSampleRate(44100.0f);
        chorus->setValue(1, 0.8f);
        chorus->setValue(2, 0.4f);
        chorus->setValue(3, 0.5f);
        chorus->setValue(5, 1.0f);
        chorus->setValue(0, 1.0f);
        chorus->setValue(4, 0.7f);
        chorus->setValue(1, 0.3f); // the centre delay glides
        chorus->setValue(5, 0.6f);
        return chorus;
    }
    static StereoSignal signal()
    {
        StereoSignal x(8192);
        x.left = noise(8192, 61u, 1.0f);
        x.right = noise(8192, 62u, 1.0f);
        return x;
    }
    static constexpr int kPieceFrames = 100;
    static constexpr bool kLeavesResidue = false;
    static void alsoOnTheAudioThread(Chorus&) {}
};

template <>
struct EffectCase<Delay>
{
    static std::unique_ptr<Delay> make()
    {
        auto delay = std::make_unique<Delay>();
        delay->setSampleRate(44100.0f);
        delay->setValue(2, 0.05f);
        delay->setValue(4, 0.08f);
        delay->setValue(1, 0.7f);
        delay->setValue(5, 0.8f);
        delay->setValue(0, 1.0f);
        delay->setValue(3, 1.0f);  // ping-pong
        delay->setValue(2, 0.03f); // the left time glides
        delay->setValue(5, 0.5f);
        return delay;
    }
    static StereoSignal signal()
    {
        StereoSignal x(8192);
        x.left = noise(8192, 7u, 1.0f);
        x.right = noise(8192, 8u, 1.0f);
        return x;
    }
    static constexpr int kPieceFrames = 61;
    static constexpr bool kLeavesResidue = false;
    // The host's tempo arrives before each block.
    static void alsoOnTheAudioThread(Delay& delay) { delay.setTempo(100.0); }
};

template <>
struct EffectCase<Vca>
{
    static std::unique_ptr<Vca> make()
    {
        auto vca = std::make_unique<Vca>();
        vca->setValue(0, 0.3f); // the level glides
        return vca;
    }
    static StereoSignal signal()
    {
        StereoSignal x(8192);
        x.left = noise(8192, 5u, 1.0f);
        x.right = noise(8192, 6u, 1.0f);
        return x;
    }
    static constexpr int kPieceFrames = 53;
    static constexpr bool kLeavesResidue = false;
    static void alsoOnTheAudioThread(Vca&) {}
};

template <typename Effect>
class EffectContractTest : public ::testing::Test
{
};

using Effects = ::testing::Types<Overdrive, Panner, Chorus, Delay, Vca>;
TYPED_TEST_SUITE(EffectContractTest, Effects);

} // namespace

TYPED_TEST(EffectContractTest, SplitRendersEqualOneRenderAndAllocateNothing)
{
    using Case = EffectCase<TypeParam>;
    auto one = Case::make();
    auto pieces = Case::make();
    StereoSignal whole = Case::signal();
    StereoSignal split = whole;
    TestAllocation::Scope allocations;
    render(*one, whole, static_cast<int>(whole.frames()));
    render(*pieces, split, Case::kPieceFrames);
    Case::alsoOnTheAudioThread(*one);
    EXPECT_EQ(allocations.count(), 0);
    EXPECT_EQ(whole.left, split.left);
    EXPECT_EQ(whole.right, split.right);
}

TYPED_TEST(EffectContractTest, SilenceAfterAResetStaysSilent)
{
    using Case = EffectCase<TypeParam>;
    auto effect = Case::make();
    StereoSignal sound = Case::signal();
    render(*effect, sound, 512);
    effect->reset();
    StereoSignal silence(96000);
    render(*effect, silence, 512);
    EXPECT_LT(TestAnalysis::peak(silence.left.data(), silence.frames()), 1e-20);
    EXPECT_LT(TestAnalysis::peak(silence.right.data(), silence.frames()), 1e-20);
    if (Case::kLeavesResidue)
    {
        // Far below hearing, and never denormal.
        EXPECT_GT(TestAnalysis::peak(silence.left.data(), silence.frames()), 0.0);
    }
}
