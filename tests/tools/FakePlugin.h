// An in-process VST 2.4 plug-in for host tests: records what the host does and plays a
// configurable signal, so call order, event offsets and time information can be checked.
#pragma once

#include "vst/VstAbi.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace FakePlugin
{

enum class Signal
{
    Silence,
    Constant,   // level on every output sample
    NoteDecay,  // level from each note-on, decaying by decayPerFrame, until the next note-on
    NotANumber, // NaN from the first note-on on
};

struct Config
{
    bool isSynth = true;
    bool usesChunks = false;
    int numOutputs = 2;
    int numParams = 4;
    int numPrograms = 3;
    VstInt32 uniqueID = vstFourCc('F', 'a', 'k', 'e');
    Signal signal = Signal::Constant;
    float level = 0.5f;
    float decayPerFrame = 0.999f;
};

struct ReceivedEvent
{
    long long frame; // absolute: frames processed before the block plus deltaFrames
    int deltaFrames;
    unsigned char status, data1, data2;
};

struct TimeRecord
{
    long long blockStart;
    VstTimeInfo info;
};

struct Plugin
{
    AEffect effect{};
    audioMasterCallback host = nullptr;
    Config config;
    std::vector<VstInt32> opcodes; // dispatcher calls, in order
    std::vector<ReceivedEvent> events;
    std::vector<int> blockSizes;
    std::vector<TimeRecord> times;
    std::vector<int> eventBlockCounts;             // events handed in each effProcessEvents call
    std::vector<std::vector<float>> programParams; // the parameters of each program
    std::vector<std::string> programNames;
    std::vector<unsigned char> chunk;
    std::vector<unsigned char> loadedChunk;
    int program = 0;
    std::vector<std::pair<long long, int>> programSets; // (frames processed before, program)
    long long processed = 0;
    float current = 0.0f;
    double sampleRate = 0.0;
    VstIntPtr blockSize = 0;
    bool closed = false;

    std::vector<float>& params() { return programParams[static_cast<std::size_t>(program)]; }
};

inline Config nextConfig;
inline std::vector<Plugin*> made; // owned by the test, freed by clear()

inline void clear()
{
    for (Plugin* plugin : made)
    {
        delete plugin;
    }
    made.clear();
    nextConfig = Config{};
}

inline Plugin* of(AEffect* effect)
{
    return static_cast<Plugin*>(effect->object);
}

inline void copyText(void* ptr, const std::string& text)
{
    std::strcpy(static_cast<char*>(ptr), text.c_str());
}

inline VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                            void* ptr, float opt)
{
    Plugin* p = of(effect);
    p->opcodes.push_back(opcode);
    switch (opcode)
    {
    case effClose:
        p->closed = true;
        return 1;
    case effSetSampleRate:
        p->sampleRate = opt;
        return 0;
    case effSetBlockSize:
        p->blockSize = value;
        return 0;
    case effSetProgram:
        p->program = static_cast<int>(value);
        p->programSets.emplace_back(p->processed, p->program);
        return 0;
    case effGetProgram:
        return p->program;
    case effSetProgramName:
        p->programNames[static_cast<std::size_t>(p->program)] = static_cast<const char*>(ptr);
        return 0;
    case effGetProgramName:
        copyText(ptr, p->programNames[static_cast<std::size_t>(p->program)]);
        return 0;
    case effGetProgramNameIndexed:
        if (index < 0 || index >= p->config.numPrograms)
        {
            return 0;
        }
        copyText(ptr, p->programNames[static_cast<std::size_t>(index)]);
        return 1;
    case effGetParamName:
        copyText(ptr, index == 1 ? "Cutoff" : "P" + std::to_string(index));
        return 0;
    case effGetParamLabel:
        copyText(ptr, "u");
        return 0;
    case effGetParamDisplay:
        copyText(ptr, std::to_string(p->params()[static_cast<std::size_t>(index)]).substr(0, 7));
        return 0;
    case effGetEffectName:
        copyText(ptr, "Fake");
        return 1;
    case effGetPlugCategory:
        return p->config.isSynth ? kPlugCategSynth : kPlugCategEffect;
    case effGetChunk:
    {
        // A marker byte (0xAA program, 0xBB bank), then the raw floats of the current program
        // or of every program.
        p->chunk.assign(1, static_cast<unsigned char>(index != 0 ? 0xAA : 0xBB));
        for (std::size_t i = 0; i < p->programParams.size(); ++i)
        {
            if (index != 0 && i != static_cast<std::size_t>(p->program))
            {
                continue;
            }
            for (float v : p->programParams[i])
            {
                unsigned char bytes[4];
                std::memcpy(bytes, &v, 4);
                p->chunk.insert(p->chunk.end(), bytes, bytes + 4);
            }
        }
        *static_cast<void**>(ptr) = p->chunk.data();
        return static_cast<VstIntPtr>(p->chunk.size());
    }
    case effSetChunk:
    {
        const auto* bytes = static_cast<const unsigned char*>(ptr);
        p->loadedChunk.assign(bytes, bytes + value);
        const std::size_t programBytes = 4 * static_cast<std::size_t>(p->config.numParams);
        std::size_t at = 1;
        for (std::size_t i = 0; i < p->programParams.size(); ++i)
        {
            if (index != 0 && i != static_cast<std::size_t>(p->program))
            {
                continue;
            }
            if (at + programBytes <= p->loadedChunk.size())
            {
                std::memcpy(p->programParams[i].data(), &p->loadedChunk[at], programBytes);
            }
            at += programBytes;
        }
        return 1;
    }
    case effProcessEvents:
    {
        const auto* list = static_cast<const VstEvents*>(ptr);
        p->eventBlockCounts.push_back(list->numEvents);
        VstEvent* const* slots = list->events;
        for (VstInt32 i = 0; i < list->numEvents; ++i)
        {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(slots[i]);
            p->events.push_back(ReceivedEvent{p->processed + midi->deltaFrames, midi->deltaFrames,
                                              static_cast<unsigned char>(midi->midiData[0]),
                                              static_cast<unsigned char>(midi->midiData[1]),
                                              static_cast<unsigned char>(midi->midiData[2])});
        }
        return 1;
    }
    default:
        return 0;
    }
}

inline void setParameter(AEffect* effect, VstInt32 index, float value)
{
    of(effect)->params()[static_cast<std::size_t>(index)] = value;
}

inline float getParameter(AEffect* effect, VstInt32 index)
{
    return of(effect)->params()[static_cast<std::size_t>(index)];
}

inline void processReplacing(AEffect* effect, float** /*inputs*/, float** outputs, VstInt32 frames)
{
    Plugin* p = of(effect);
    auto* time = reinterpret_cast<const VstTimeInfo*>(
        p->host(effect, audioMasterGetTime, 0, kVstPpqPosValid | kVstTempoValid, nullptr, 0.0f));
    if (time != nullptr)
    {
        p->times.push_back(TimeRecord{p->processed, *time});
    }
    p->blockSizes.push_back(frames);
    for (VstInt32 i = 0; i < frames; ++i)
    {
        for (const ReceivedEvent& event : p->events)
        {
            if (event.frame == p->processed + i && (event.status & 0xF0) == 0x90 && event.data2 > 0)
            {
                p->current = p->config.level;
            }
        }
        float x = 0.0f;
        switch (p->config.signal)
        {
        case Signal::Silence:
            break;
        case Signal::Constant:
            x = p->config.level;
            break;
        case Signal::NoteDecay:
            x = p->current;
            p->current *= p->config.decayPerFrame;
            break;
        case Signal::NotANumber:
            x = p->current > 0.0f ? std::numeric_limits<float>::quiet_NaN() : 0.0f;
            break;
        }
        for (int channel = 0; channel < p->config.numOutputs; ++channel)
        {
            outputs[channel][i] = channel == 0 ? x : x * 0.5f; // right is 6 dB lower
        }
    }
    p->processed += frames;
}

inline AEffect* entry(audioMasterCallback host)
{
    auto* p = new Plugin;
    made.push_back(p);
    p->host = host;
    p->config = nextConfig;
    p->programParams.assign(
        static_cast<std::size_t>(p->config.numPrograms),
        std::vector<float>(static_cast<std::size_t>(p->config.numParams), 0.25f));
    for (int i = 0; i < p->config.numPrograms; ++i)
    {
        p->programNames.push_back("Program " + std::to_string(i));
    }
    AEffect& e = p->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = processReplacing;
    e.numPrograms = p->config.numPrograms;
    e.numParams = p->config.numParams;
    e.numOutputs = p->config.numOutputs;
    e.flags = effFlagsCanReplacing | (p->config.isSynth ? effFlagsIsSynth : 0) |
              (p->config.usesChunks ? effFlagsProgramChunks : 0);
    e.uniqueID = p->config.uniqueID;
    e.version = 7;
    e.object = p;
    return &e;
}

} // namespace FakePlugin
