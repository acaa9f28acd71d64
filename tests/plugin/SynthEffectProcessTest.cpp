// The host's audio thread through the plug-in's descriptor: processEvents and processReplacing of a
// busy instrument with every effect on allocate nothing.
#include "plugin/SynthEffect.h"
#include "sonarch/midi/MidiLearn.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"
#include "vst/VstEntry.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace
{

constexpr int kBlockFrames = 512;

// The host's transport: playing at 120 BPM, so the tempo-synced LFOs and delay follow it.
VstTimeInfo hostTime{};

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&hostTime);
    default:
        return 0;
    }
}

// A list of MIDI events in the layout a host hands over: the header's two slots are followed by
// as many pointers as there are events.
class EventList
{
public:
    void add(int deltaFrames, int status, int first, int second)
    {
        VstMidiEvent& event = events[static_cast<std::size_t>(count)];
        event = VstMidiEvent{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = deltaFrames;
        event.midiData[0] = static_cast<char>(status);
        event.midiData[1] = static_cast<char>(first);
        event.midiData[2] = static_cast<char>(second);
        ++count;
    }
    void clear() { count = 0; }

    VstEvents* list()
    {
        auto* header = reinterpret_cast<VstEvents*>(bytes.data());
        header->numEvents = count;
        auto** slots = reinterpret_cast<VstEvent**>(bytes.data() + offsetof(VstEvents, events));
        for (int i = 0; i < count; ++i)
        {
            slots[i] = reinterpret_cast<VstEvent*>(&events[static_cast<std::size_t>(i)]);
        }
        return header;
    }

private:
    static constexpr int kCapacity = 64;
    std::vector<VstMidiEvent> events = std::vector<VstMidiEvent>(kCapacity);
    std::vector<unsigned char> bytes =
        std::vector<unsigned char>(offsetof(VstEvents, events) + kCapacity * sizeof(VstEvent*));
    int count = 0;
};

class SynthEffectProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        hostTime = VstTimeInfo{};
        hostTime.sampleRate = 44100.0;
        hostTime.tempo = 120.0;
        hostTime.timeSigNumerator = 4;
        hostTime.timeSigDenominator = 4;
        hostTime.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;
        plugin = static_cast<SynthEffect*>(createEffectInstance(host));
        effect = plugin->getAeffect();
        dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effSetBlockSize, 0, kBlockFrames, nullptr, 0.0f);
        dispatch(effMainsChanged, 0, 1, nullptr, 0.0f);
        dispatch(effStartProcess, 0, 0, nullptr, 0.0f);
    }

    void TearDown() override { dispatch(effClose, 0, 0, nullptr, 0.0f); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    int findParameter(const char* shortName)
    {
        for (int index = 0; index < effect->numParams; ++index)
        {
            char name[64] = {};
            dispatch(effGetParamName, index, 0, name, 0.0f);
            if (std::strcmp(name, shortName) == 0)
            {
                return index;
            }
        }
        ADD_FAILURE() << "no parameter " << shortName;
        return 0;
    }

    void set(const char* shortName, float value)
    {
        effect->setParameter(effect, findParameter(shortName), value);
    }

    // One host block: the events first, then the audio, as hosts call them.
    void block(EventList& events)
    {
        dispatch(effProcessEvents, 0, 0, events.list(), 0.0f);
        float* outputs[2] = {left, right};
        effect->processReplacing(effect, nullptr, outputs, kBlockFrames);
        hostTime.samplePos += kBlockFrames;
        hostTime.ppqPos = hostTime.samplePos / 44100.0 * 2.0;
        events.clear();
    }

    SynthEffect* plugin = nullptr;
    AEffect* effect = nullptr;
    float left[kBlockFrames] = {};
    float right[kBlockFrames] = {};
};

TEST_F(SynthEffectProcessTest, BusyBlocksWithEveryEffectOnAllocateNothing)
{
    // Every effect working, the panner moved by LFO 1, LFO 2 drawing samples and holds, and
    // noise in every voice.
    set("OD On", 1.0f);
    set("OD Lvl", 0.5f);
    set("P On", 1.0f);
    set("P MSrc", 0.5f);
    set("P ModL", 0.5f);
    set("Ch On", 1.0f);
    set("Ch Mix", 0.5f);
    set("D On", 1.0f);
    set("D FB", 0.5f);
    set("D Mix", 0.5f);
    set("D Sync", 1.0f);
    set("L2 Shpe", 1.0f);
    set("N On", 1.0f);
    set("E1 R", 0.1f);
    // The filter's cutoff on controller 74: MIDI learn then writes the bank on the audio thread.
    const int cutoff = findParameter("F Cut");
    plugin->getMidiLearn()->map(cutoff, 74);

    // Sixteen voices sounding before the count starts, so the first allocation of any lazy
    // structure would already have happened.
    EventList events;
    for (int v = 0; v < 16; ++v)
    {
        events.add(v * 7, 0x90, 36 + 3 * v, 100);
    }
    block(events);
    block(events);

    TestAllocation::Scope allocations;
    for (int n = 0; n < 200; ++n)
    {
        // Voices stolen and released, the sustain pedal, bend, pressure, the modulation wheel and
        // the learned controller, at offsets all over the block.
        const int key = 36 + (n * 7) % 48;
        events.add(n % kBlockFrames, 0x90, key, 40 + n % 80);
        events.add((n * 37) % kBlockFrames, 0x80, 36 + (n * 11) % 48, 64);
        events.add((n * 53) % kBlockFrames, 0xB0, 64, (n / 10) % 2 == 0 ? 127 : 0);
        events.add((n * 101) % kBlockFrames, 0xE0, n % 128, (n * 3) % 128);
        events.add((n * 13) % kBlockFrames, 0xD0, n % 128, 0);
        events.add((n * 29) % kBlockFrames, 0xB0, 1, n % 128);
        events.add((n * 31) % kBlockFrames, 0xB0, 74, (n * 5) % 128);
        block(events);
    }
    EXPECT_EQ(allocations.count(), 0);
    EXPECT_TRUE(TestAnalysis::allFinite(left, kBlockFrames));
    EXPECT_GT(TestAnalysis::peak(left, kBlockFrames), 0.001);
}

} // namespace
