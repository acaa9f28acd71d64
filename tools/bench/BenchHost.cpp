// The measuring tools' shared host side.
#include "tools/bench/BenchHost.h"

namespace BenchHost
{

const std::vector<Setting>& everyEffectOn()
{
    static const std::vector<Setting> settings = {
        {"OD On", 1.0f}, {"OD Lvl", 0.5f}, {"P On", 1.0f}, {"P MSrc", 0.5f}, {"P ModL", 0.5f},
        {"Ch On", 1.0f}, {"Ch Mix", 0.5f}, {"D On", 1.0f}, {"D FB", 0.5f},   {"D Mix", 0.5f},
    };
    return settings;
}

const std::vector<Setting>& effectsOff()
{
    static const std::vector<Setting> settings = {
        {"OD On", 0.0f}, {"P On", 0.0f}, {"Ch On", 0.0f}, {"D On", 0.0f}};
    return settings;
}

std::string pluginBeside(const char* argv0)
{
#ifdef _WIN32
    const char* name = sizeof(void*) == 4 ? "Tavrel.dll" : "Tavrel64.dll";
#else
    const char* name = "tavrel.so";
#endif
    const std::string path(argv0 != nullptr ? argv0 : "");
    const std::size_t slash = path.find_last_of("/\\");
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

bool apply(PluginInstance& instance, const std::vector<Setting>& settings, std::string& error)
{
    for (const Setting& setting : settings)
    {
        int index = 0;
        if (!instance.findParam(setting.name, index, error))
        {
            return false;
        }
        instance.setParam(index, setting.value);
    }
    return true;
}

std::vector<VstMidiEvent> heldNotes()
{
    std::vector<VstMidiEvent> notes(kNoteCount);
    for (int i = 0; i < kNoteCount; ++i)
    {
        VstMidiEvent& note = notes[static_cast<std::size_t>(i)];
        note.type = kVstMidiType;
        note.byteSize = sizeof(VstMidiEvent);
        note.midiData[0] = static_cast<char>(0x90);
        note.midiData[1] = static_cast<char>(36 + 3 * i);
        note.midiData[2] = 100;
    }
    return notes;
}

VstTimeInfo playingTransport()
{
    VstTimeInfo time{};
    time.sampleRate = kSampleRate;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid;
    return time;
}

} // namespace BenchHost
