// Notes on voices that have sounded before: they start exactly like notes on fresh voices, a
// retrigger of a sounding voice stays continuous, and reused voices make no clicks.
#include "engine/MessageDispatcher.h"
#include "instrument/FactoryBank.h"
#include "instrument/FactoryBankImage.h"
#include "instrument/TavrelSynth.h"
#include "instrument/TavrelVoice.h"
#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/ChunkReader.h"
#include "tools/render/Onsets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

constexpr double kRateHz = 44100.0;

class VoiceRestartTest : public ::testing::Test
{
protected:
    // A synthesizer holding the factory bank, at program `program`, with the effects off, so
    // that its output is the voices' sum and no effect remembers an earlier note.
    void start(int program)
    {
        synth = std::make_unique<TavrelSynth>();
        bank = synth->getBank();
        dispatcher = synth->getMessageDispatcher();
        const std::vector<std::uint8_t> image = buildFactoryBankImage(*bank);
        Sonarch::Parameters::ChunkReader reader(image.data(), image.size());
        ASSERT_TRUE(bank->setBankChunk(reader));
        bank->setCurrentProgram(program);
        for (const char* effectSwitch : {"OD On", "P On", "Ch On", "D On"})
        {
            set(effectSwitch, 0.0f);
        }
    }

    void set(const char* shortName, float value)
    {
        const int index = bank->findParameter(shortName);
        ASSERT_LT(index, bank->getParameterCount()) << shortName;
        bank->setParameter(index, value);
    }

    float get(const char* shortName) { return bank->getParameter(bank->findParameter(shortName)); }

    void send(int status, int data1, int data2)
    {
        MidiEvent event;
        event.deltaFrames = 0;
        event.status = status;
        event.firstData = data1;
        event.secondData = data2;
        dispatcher->enqueue(event);
    }

    // Renders frames frames in blocks of blockFrames and returns the left channel.
    std::vector<float> render(int frames, int blockFrames = 64)
    {
        std::vector<float> left(static_cast<std::size_t>(frames));
        std::vector<float> right(static_cast<std::size_t>(frames));
        for (int done = 0; done < frames; done += blockFrames)
        {
            const int count = std::min(blockFrames, frames - done);
            float* outputs[2] = {left.data() + done, right.data() + done};
            std::memset(outputs[0], 0, sizeof(float) * static_cast<std::size_t>(count));
            std::memset(outputs[1], 0, sizeof(float) * static_cast<std::size_t>(count));
            dispatcher->render(outputs, count);
        }
        return left;
    }

    // Renders until voice `index` has fallen silent; false when it still sounds after a minute.
    bool renderUntilSilent(int index)
    {
        for (int block = 0; block < 60 * 44100 / 512; ++block)
        {
            if (voice(index).isSilent())
            {
                return true;
            }
            render(512, 512);
        }
        return voice(index).isSilent();
    }

    TavrelVoice& voice(int index)
    {
        return *static_cast<TavrelVoice*>(synth->getVoices().getVoice(index));
    }

    std::unique_ptr<TavrelSynth> synth;
    Sonarch::Parameters::BankInterface* bank = nullptr;
    MessageDispatcher* dispatcher = nullptr;
};

// The largest step from one sample to the next.
float largestStep(const float* x, std::size_t count)
{
    float largest = 0.0f;
    for (std::size_t i = 1; i < count; ++i)
    {
        largest = std::max(largest, std::fabs(x[i] - x[i - 1]));
    }
    return largest;
}

// Voice 0 plays a note and falls silent; voice 1 has never sounded. Given voice 0's new start
// phases, both voices triggered together with the same note read the same modulation sources at
// the same moments, so their outputs must agree sample for sample. The noise is turned off,
// because the voices draw their noise one after the other from the engine's one generator.
TEST_F(VoiceRestartTest, AVoiceThatFellSilentStartsLikeAFreshVoiceInEveryFactoryProgram)
{
    for (int program = 0; program < 128; ++program)
    {
        SCOPED_TRACE(factoryPrograms()[program].name);
        start(program);
        set("N On", 0.0f);
        send(0x90, 60, 100);
        render(4410);
        send(0x80, 60, 0);
        ASSERT_TRUE(renderUntilSilent(0));
        ASSERT_TRUE(voice(1).isSilent());

        voice(1).getOscillator1().setPhase(voice(0).getOscillator1().getPhase());
        voice(1).getOscillator2().setPhase(voice(0).getOscillator2().getPhase());
        voice(0).trigger(60, 60, 100);
        voice(1).trigger(60, 60, 100);

        // 5 ms, compared after every 32-frame stretch (each voice keeps only its last one).
        float loudest = 0.0f;
        for (int stretch = 0; stretch < 7; ++stretch)
        {
            render(32, 32);
            const float* used = voice(0).getFilter().getOutput();
            const float* fresh = voice(1).getFilter().getOutput();
            for (int i = 0; i < 32; ++i)
            {
                ASSERT_EQ(used[i], fresh[i]) << "frame " << stretch * 32 + i;
                loudest = std::max(loudest, std::fabs(fresh[i]));
            }
        }
        // The comparison is of real sound, not of two silent buffers, wherever the program's
        // attack lets something through within 5 ms.
        if (get("E1 A") == 0.0f)
        {
            EXPECT_GT(loudest, 1e-3f);
        }
    }
}

// A sounding voice keeps its filter state when a new note retriggers it (mono mode, the old key
// still held). With both envelopes in legato mode nothing restarts at a jump, so the output stays
// continuous: the step into the new note is no larger than the steps the signal makes in the
// 10 ms before and after it. (Retriggering envelopes with an attack of 0 jump by design.)
TEST_F(VoiceRestartTest, ALegatoNoteOnASoundingVoiceStaysContinuous)
{
    for (int program = 0; program < 128; ++program)
    {
        SCOPED_TRACE(factoryPrograms()[program].name);
        start(program);
        set("Poly", 0.0f);
        set("N On", 0.0f);
        set("E1 TMod", 0.0f);
        set("E2 TMod", 0.0f);
        send(0x90, 60, 100);
        const std::vector<float> held = render(8820);
        send(0x90, 64, 100);
        const std::vector<float> after = render(441);

        const float before = largestStep(held.data() + held.size() - 441, 441);
        const float following = largestStep(after.data() + 1, after.size() - 1);
        const float boundary = std::fabs(after[0] - held.back());
        EXPECT_LE(boundary, 1.5f * std::max(before, following) + 1e-6f)
            << "steps before " << before << ", after " << following;
    }
}

// The demo's bass part, Classic Bass in eighth notes, is played by 16 fresh voices first and by
// reused ones from the 17th note on. Their onsets carry as much energy above 12 kHz as those of
// fresh voices; a filter state left over from a voice's last note made them 20 dB louder.
TEST_F(VoiceRestartTest, ReusedVoicesStartAsCleanlyAsFreshVoices)
{
    start(13);
    ASSERT_STREQ(bank->getCurrentProgramName(), "Classic Bass");
    set("E1 A", 0.0f); // a hard start, which a leftover filter state would not pass unheard
    const int noteFrames = 13781; // an eighth at 96 BPM, 0.3125 s
    const int notes = 48;
    std::vector<float> song;
    for (int n = 0; n < notes; ++n)
    {
        const int pitch = 33 + (n % 8 == 2 || n % 8 == 6 ? 12 : n % 8 == 5 || n % 8 == 7 ? 7 : 0);
        send(0x90, pitch, n % 2 == 0 ? 100 : 80);
        const std::vector<float> sounding = render(noteFrames - 1000);
        send(0x80, pitch, 0);
        const std::vector<float> rest = render(1000);
        song.insert(song.end(), sounding.begin(), sounding.end());
        song.insert(song.end(), rest.begin(), rest.end());
    }

    Onsets::Options options;
    const std::vector<double> high = Onsets::highBandLevels(song.data(), song.size(), kRateHz);
    auto onsetEnergy = [&](int firstNote, int lastNote)
    {
        double sum = 0.0;
        for (int n = firstNote; n < lastNote; ++n)
        {
            const std::size_t window = static_cast<std::size_t>(n) * noteFrames /
                                       static_cast<std::size_t>(options.windowFrames);
            sum += std::pow(10.0, std::max(high[window], high[window + 1]) / 10.0);
        }
        return 10.0 * std::log10(sum / (lastNote - firstNote));
    };
    const double freshDb = onsetEnergy(0, 16);
    const double reusedDb = onsetEnergy(16, notes);
    EXPECT_LT(freshDb, -50.0);
    EXPECT_LT(reusedDb, freshDb + 3.0) << "fresh voices " << freshDb << " dBFS";
    std::printf("onsets above 12 kHz: fresh voices %.1f dBFS, reused voices %.1f dBFS\n", freshDb,
                reusedDb);
}

} // namespace
