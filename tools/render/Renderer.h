// Plays a song through one or more plug-in instances block by block and mixes them to stereo.
#pragma once

#include "tools/render/MidiSong.h"
#include "tools/render/PluginInstance.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct RenderSettings
{
    double sampleRate = 44100.0;
    int blockSize = 512;
    // Automatic tail: after the last event, render until the mix has stayed below -90 dBFS
    // for silenceSeconds, but at most maxTailSeconds; the quiet end is then cut off (never
    // before the last event). A fixed tail renders exactly tailSeconds after the last event.
    bool autoTail = true;
    double tailSeconds = 0.0;
    double maxTailSeconds = 30.0;
    double silenceSeconds = 2.0;
    // Linear gain applied to the mix of all instances.
    float gain = 1.0f;
    // Program changes (with bank select for plug-ins of more than 128 programs) select the
    // program of the instance playing their channel at their frame; when false they are dropped.
    bool programChanges = true;
};

// A plug-in instance and the MIDI channels (bit c for channel c, 0..15) it plays.
struct RenderPart
{
    PluginInstance* instance;
    std::uint16_t channels;
};

struct RenderResult
{
    std::uint64_t frames = 0;     // frames the output keeps
    std::uint64_t songFrames = 0; // up to and including the frame of the last event
    double peak[2] = {0.0, 0.0};
    double rms[2] = {0.0, 0.0};
    std::uint64_t nonFiniteSamples = 0; // counted as 0 in the levels and written as 0
    double wallSeconds = 0.0;
    // Peak of both channels over the last 50 ms kept: the level at which the output ends.
    double endPeak = 0.0;
    // Whether an automatic tail reached its maximum before the mix had stayed silent for
    // silenceSeconds: the output ends while still sounding.
    bool cutWhileSounding = false;
    // Per MIDI channel, the programs its instance had at the channel's note-ons, in the order
    // first used; empty for a channel that played no note.
    std::array<std::vector<int>, 16> programsUsed;
    // Program changes dropped because the plug-in has no such program.
    std::uint64_t unknownPrograms = 0;
};

class Renderer
{
public:
    // -90 dBFS: below this the output counts as silent for the automatic tail.
    static constexpr double kSilenceLevel = 3.1622776601683795e-5;

    // Receives each mixed block (two channels of frames samples); false stops the render.
    using Sink = std::function<bool(const float* const* channels, int frames, std::string& error)>;
    // Told the frames rendered so far and the frames planned (songFrames plus the tail, or
    // the maximum tail when it is automatic).
    using Progress = std::function<void(std::uint64_t frames, std::uint64_t plannedFrames)>;

    // The frame at which an event of the song plays.
    static std::uint64_t eventFrame(const MidiSong& song, const SongEvent& event,
                                    double sampleRate);
    // Frames the render writes at most: the song plus the fixed or the maximum tail.
    static std::uint64_t plannedFrames(const MidiSong& song, const RenderSettings& settings);

    // Starts every instance, renders, stops them again. false when the sink fails. The sink
    // receives only the frames the output keeps: after the song, frames below the silence level
    // are held back until a louder frame follows, so an automatic tail never has to be cut
    // from what was already written (at most silenceSeconds and a block are held).
    static bool render(const MidiSong& song, const std::vector<RenderPart>& parts,
                       const RenderSettings& settings, const Sink& sink, const Progress& progress,
                       RenderResult& result, std::string& error);
};
