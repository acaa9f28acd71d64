// After a loud note, a long silence leaves no subnormal number behind: every recursive state
// (filters, delay and chorus lines, glides) either stops, is cleared or carries the 1e-25 guard,
// so the output never holds a subnormal sample even with the processor's flush-to-zero off (as
// here: the tests render without the plug-in's denormal guard).
#include "engine/MessageDispatcher.h"
#include "instrument/FactoryBank.h"
#include "instrument/FactoryBankImage.h"
#include "instrument/TavrelSynth.h"
#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/ChunkReader.h"
#include "tests/support/SlowDecays.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

struct Tail
{
    long subnormal = 0;
    double lastPeak = 0.0; // over the last second
};

// A loud chord for half a second, then silence; the subnormal samples of the whole silence.
Tail loudNoteThenSilence(TavrelSynth& synth, double silenceSeconds)
{
    MessageDispatcher* dispatcher = synth.getMessageDispatcher();
    for (int note : {36, 60, 64, 67, 96})
    {
        dispatcher->enqueue(MidiEvent{0, 0x90, note, 127});
    }
    constexpr int kBlock = 4096;
    std::vector<float> left(kBlock);
    std::vector<float> right(kBlock);
    auto block = [&]
    {
        std::memset(left.data(), 0, sizeof(float) * kBlock);
        std::memset(right.data(), 0, sizeof(float) * kBlock);
        float* outputs[2] = {left.data(), right.data()};
        dispatcher->render(outputs, kBlock);
    };
    for (int i = 0; i < 6; ++i)
    {
        block();
    }
    for (int note : {36, 60, 64, 67, 96})
    {
        dispatcher->enqueue(MidiEvent{0, 0x80, note, 0});
    }
    Tail tail;
    const long blocks = static_cast<long>(silenceSeconds * 44100.0 / kBlock);
    for (long b = 0; b < blocks; ++b)
    {
        block();
        for (int i = 0; i < kBlock; ++i)
        {
            for (float x : {left[static_cast<std::size_t>(i)], right[static_cast<std::size_t>(i)]})
            {
                tail.subnormal += std::fpclassify(x) == FP_SUBNORMAL ? 1 : 0;
                if (b >= blocks - 11)
                {
                    tail.lastPeak = std::max(tail.lastPeak, static_cast<double>(std::fabs(x)));
                }
            }
        }
    }
    return tail;
}

std::unique_ptr<TavrelSynth> synthWithFactoryBank()
{
    auto synth = std::make_unique<TavrelSynth>();
    Sonarch::Parameters::BankInterface* bank = synth->getBank();
    const std::vector<std::uint8_t> image = buildFactoryBankImage(*bank);
    Sonarch::Parameters::ChunkReader reader(image.data(), image.size());
    EXPECT_TRUE(bank->setBankChunk(reader));
    return synth;
}

// Every factory program whose sound ends in an echo or a chorus: the delay and chorus lines hold
// the tail longest.
TEST(LongSilenceTest, FactoryProgramsWithEchoesLeaveNoSubnormalSamples)
{
    int programsChecked = 0;
    for (int program = 0; program < 128; ++program)
    {
        auto synth = synthWithFactoryBank();
        Sonarch::Parameters::BankInterface* bank = synth->getBank();
        bank->setCurrentProgram(program);
        const bool echoes = bank->getParameter(bank->findParameter("D On")) >= 0.5f ||
                            bank->getParameter(bank->findParameter("Ch On")) >= 0.5f;
        if (!echoes)
        {
            continue;
        }
        ++programsChecked;
        const Tail tail = loudNoteThenSilence(*synth, 20.0);
        EXPECT_EQ(tail.subnormal, 0) << factoryPrograms()[program].name;
    }
    EXPECT_GT(programsChecked, 10);
}

// Long, slow decays through every recursive path. Within 60 s of silence the tail falls far below
// the smallest normal float (about 1e-38) on its own, so without the guards it would pass through
// subnormal numbers; with them it settles at about 1e-25.
TEST(LongSilenceTest, TheSlowestDecaysLeaveNoSubnormalSamples)
{
    auto synth = synthWithFactoryBank();
    Sonarch::Parameters::BankInterface* bank = synth->getBank();
    TestSettings::applySlowDecays(*bank);
    const Tail tail = loudNoteThenSilence(*synth, 60.0);
    EXPECT_EQ(tail.subnormal, 0);
    EXPECT_LT(tail.lastPeak, 1e-20) << "the tail has not decayed into the range this is about";
    std::printf("after 60 s of silence the output peaks at %g\n", tail.lastPeak);
}

} // namespace
