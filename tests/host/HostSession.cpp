// The host session: instance set-up, parameter and chunk access, MIDI scheduling, block rendering.
#include "tests/host/HostSession.h"

#include "tests/support/ParameterTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace HostCheck
{

using namespace TestParameters;

namespace
{

VstPluginEntry entry = nullptr;

// Room for the events of one block; the checks never schedule more.
constexpr int kMaxEventsPerBlock = 512;

// The same head as VstEvents, with room for a whole block's pointers.
struct EventList
{
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[kMaxEventsPerBlock];
};

// Floats on each side of an output buffer that the plug-in must leave alone.
constexpr std::size_t kGuardFrames = 64;
constexpr float kGuardValue = -12345.5f;

constexpr int kSineWave = 2;     // the third of the 26 oscillator waves
constexpr float kWaveSteps = 25; // wave = norm x 25, rounded

} // namespace

void HostSession::setEntry(VstPluginEntry pluginEntry)
{
    entry = pluginEntry;
}

VstPluginEntry HostSession::getEntry()
{
    return entry;
}

HostSession::HostSession(float sampleRateHz, VstInt32 blockFrames)
    : sampleRate(sampleRateHz), blockSize(blockFrames)
{
    host.sampleRate = sampleRateHz;
    host.blockSize = blockFrames;
    if (!host.create(entry))
    {
        return;
    }
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRateHz);
    dispatch(effSetBlockSize, 0, blockFrames);
    dispatch(effMainsChanged, 0, 1);
}

VstIntPtr HostSession::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt)
{
    return host.dispatch(opcode, index, value, ptr, opt);
}

void HostSession::setSampleRate(float rateHz)
{
    sampleRate = rateHz;
    host.sampleRate = rateHz;
    dispatch(effSetSampleRate, 0, 0, nullptr, rateHz);
}

void HostSession::setBlockSize(VstInt32 frames)
{
    blockSize = frames;
    host.blockSize = frames;
    dispatch(effSetBlockSize, 0, frames);
}

void HostSession::selectProgram(int index)
{
    dispatch(effSetProgram, 0, index);
}

std::string HostSession::programName(int index)
{
    char text[kVstMaxProgNameLen + 8] = {};
    dispatch(effGetProgramNameIndexed, index, 0, text);
    return text;
}

int HostSession::findProgram(const char* name)
{
    for (int index = 0; index < effect()->numPrograms; ++index)
    {
        if (programName(index) == name)
        {
            return index;
        }
    }
    return -1;
}

void HostSession::setParameter(int index, float valueNorm)
{
    effect()->setParameter(effect(), index, valueNorm);
}

float HostSession::getParameter(int index)
{
    return effect()->getParameter(effect(), index);
}

std::string HostSession::parameterName(int index)
{
    char text[kVstMaxParamStrLen + 8] = {};
    dispatch(effGetParamName, index, 0, text);
    return text;
}

std::string HostSession::parameterLabel(int index)
{
    char text[kVstMaxParamStrLen + 8] = {};
    dispatch(effGetParamLabel, index, 0, text);
    return text;
}

std::string HostSession::parameterDisplay(int index)
{
    char text[kVstMaxParamStrLen + 8] = {};
    dispatch(effGetParamDisplay, index, 0, text);
    return text;
}

void HostSession::setDefaults()
{
    for (int index = 0; index < kParameterCount; ++index)
    {
        setParameter(index, kParameterTable[index].defaultNorm);
    }
}

void HostSession::useTestTone()
{
    setDefaults();
    setParameter(Index::kOsc1Wave, static_cast<float>(kSineWave) / kWaveSteps);
    setParameter(Index::kOsc2Level, 0.0f);
    setParameter(Index::kFilterCutoff, 1.0f);
    setParameter(Index::kEnv1Sustain, 1.0f);
    setParameter(Index::kEnv1Release, 0.1f); // 0.1 squared x 10 s = 0.1 s
}

std::vector<std::uint8_t> HostSession::getChunk(bool isProgram)
{
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, isProgram ? 1 : 0, 0, &data);
    if (data == nullptr || size <= 0)
    {
        return {};
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

VstIntPtr HostSession::setChunk(const std::vector<std::uint8_t>& data, bool isProgram)
{
    // The plug-in receives its own copy, as a host's buffer would be: nothing may outlive it.
    std::vector<std::uint8_t> copy = data;
    return dispatch(effSetChunk, isProgram ? 1 : 0, static_cast<VstIntPtr>(copy.size()),
                    copy.data());
}

void HostSession::midi(long frame, int status, int data1, int data2, VstInt32 byteSize)
{
    Scheduled event{};
    event.frame = frame;
    event.bytes[0] = static_cast<unsigned char>(status);
    event.bytes[1] = static_cast<unsigned char>(data1);
    event.bytes[2] = static_cast<unsigned char>(data2);
    event.byteSize = byteSize;
    scheduled.push_back(event);
}

void HostSession::noteOn(long frame, int note, int velocity, int channel)
{
    midi(frame, 0x90 | channel, note, velocity);
}

void HostSession::noteOff(long frame, int note, int channel)
{
    midi(frame, 0x80 | channel, note, 0);
}

void HostSession::controlChange(long frame, int controller, int value, int channel)
{
    midi(frame, 0xB0 | channel, controller, value);
}

void HostSession::pitchBend(long frame, int value14, int channel)
{
    midi(frame, 0xE0 | channel, value14 & 0x7F, (value14 >> 7) & 0x7F);
}

VstIntPtr HostSession::sendEvents(VstEvent* const* events, int count)
{
    EventList list{};
    list.numEvents = std::min(count, kMaxEventsPerBlock);
    for (int i = 0; i < list.numEvents; ++i)
    {
        list.events[i] = events[i];
    }
    return dispatch(effProcessEvents, 0, 0, &list);
}

void HostSession::setTransport(double tempoBpm, bool playing)
{
    transport = true;
    tempo = tempoBpm;
    transportPlaying = playing;
    updateTimeInfo();
    host.setTimeInfo(&timeInfo);
}

void HostSession::clearTransport()
{
    transport = false;
    host.setTimeInfo(nullptr);
}

void HostSession::setFixedTimeInfo(const VstTimeInfo& info)
{
    transport = false;
    timeInfo = info;
    host.setTimeInfo(&timeInfo);
}

void HostSession::updateTimeInfo()
{
    timeInfo = VstTimeInfo{};
    timeInfo.samplePos = renderedFrames;
    timeInfo.sampleRate = sampleRate;
    timeInfo.ppqPos = renderedFrames / static_cast<double>(sampleRate) * tempo / 60.0;
    timeInfo.tempo = tempo;
    timeInfo.timeSigNumerator = 4;
    timeInfo.timeSigDenominator = 4;
    timeInfo.flags = kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid |
                     (transportPlaying ? kVstTransportPlaying : 0);
}

Stereo HostSession::render(long frames)
{
    Stereo out;
    out.left.resize(static_cast<std::size_t>(frames));
    out.right.resize(static_cast<std::size_t>(frames));
    std::stable_sort(scheduled.begin(), scheduled.end(),
                     [](const Scheduled& a, const Scheduled& b) { return a.frame < b.frame; });
    std::size_t next = 0;
    std::vector<VstMidiEvent> blockEvents;
    std::vector<VstEvent*> pointers;
    for (long start = 0; start < frames; start += blockSize)
    {
        const VstInt32 count = static_cast<VstInt32>(std::min<long>(blockSize, frames - start));
        blockEvents.clear();
        while (next < scheduled.size() && scheduled[next].frame < start + count)
        {
            const Scheduled& event = scheduled[next++];
            VstMidiEvent midiEvent{};
            midiEvent.type = kVstMidiType;
            midiEvent.byteSize = event.byteSize;
            midiEvent.deltaFrames = static_cast<VstInt32>(std::max(0L, event.frame - start));
            std::memcpy(midiEvent.midiData, event.bytes, 3);
            blockEvents.push_back(midiEvent);
        }
        if (!blockEvents.empty())
        {
            pointers.clear();
            for (VstMidiEvent& midiEvent : blockEvents)
            {
                pointers.push_back(reinterpret_cast<VstEvent*>(&midiEvent));
            }
            sendEvents(pointers.data(), static_cast<int>(pointers.size()));
        }
        if (transport)
        {
            updateTimeInfo();
        }
        renderBlock(out.left.data() + start, out.right.data() + start, count);
        renderedFrames += count;
    }
    // Events scheduled beyond this render wait, shifted, for the next one.
    scheduled.erase(scheduled.begin(), scheduled.begin() + static_cast<long>(next));
    for (Scheduled& event : scheduled)
    {
        event.frame -= frames;
    }
    return out;
}

void HostSession::renderBlock(float* left, float* right, VstInt32 frames)
{
    const std::size_t size = static_cast<std::size_t>(frames);
    std::vector<float> guardedLeft(size + 2 * kGuardFrames, kGuardValue);
    std::vector<float> guardedRight(size + 2 * kGuardFrames, kGuardValue);
    std::fill_n(guardedLeft.begin() + kGuardFrames, size, std::numeric_limits<float>::quiet_NaN());
    std::fill_n(guardedRight.begin() + kGuardFrames, size, std::numeric_limits<float>::quiet_NaN());
    std::vector<float> silence(size, 0.0f);
    float* inputs[2] = {silence.data(), silence.data()};
    float* outputs[2] = {guardedLeft.data() + kGuardFrames, guardedRight.data() + kGuardFrames};
    effect()->processReplacing(effect(), inputs, outputs, frames);
    for (std::size_t i = 0; i < kGuardFrames; ++i)
    {
        for (const std::vector<float>* guarded : {&guardedLeft, &guardedRight})
        {
            damagedGuards += (*guarded)[i] != kGuardValue ? 1 : 0;
            damagedGuards += (*guarded)[kGuardFrames + size + i] != kGuardValue ? 1 : 0;
        }
    }
    std::copy_n(outputs[0], size, left);
    std::copy_n(outputs[1], size, right);
}

} // namespace HostCheck
