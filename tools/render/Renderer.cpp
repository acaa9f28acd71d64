// The block loop: events at exact frame offsets, time information, mixing, levels and the tail.
#include "tools/render/Renderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace
{

// Levels of the mix up to some frame, kept at the points where the output may be cut.
struct Levels
{
    double sumSquares[2] = {0.0, 0.0};
    double peak[2] = {0.0, 0.0};
};

// One part's output buffers and the events of the block being rendered.
struct PartBuffers
{
    std::vector<std::vector<float>> outputs;
    std::vector<float*> pointers;
    std::vector<VstMidiEvent> events;
};

// The frame of each event of the song, in song order.
std::vector<std::uint64_t> eventFrames(const MidiSong& song, double rate)
{
    std::vector<std::uint64_t> frames;
    frames.reserve(song.events.size());
    for (const SongEvent& event : song.events)
    {
        frames.push_back(Renderer::eventFrame(song, event, rate));
    }
    return frames;
}

// Buffers of a block for every output of every part; starts each instance.
std::vector<PartBuffers> startParts(const std::vector<RenderPart>& parts, int blockSize)
{
    std::vector<PartBuffers> buffers(parts.size());
    for (std::size_t p = 0; p < parts.size(); ++p)
    {
        const int outputs = parts[p].instance->numOutputs();
        buffers[p].outputs.assign(static_cast<std::size_t>(outputs),
                                  std::vector<float>(static_cast<std::size_t>(blockSize), 0.0f));
        for (auto& output : buffers[p].outputs)
        {
            buffers[p].pointers.push_back(output.data());
        }
        parts[p].instance->start();
    }
    return buffers;
}

// Program changes and bank selects, applied on the instance that plays their channel, and the
// programs each channel's note-ons found on their instance.
class ProgramRouter
{
public:
    ProgramRouter(const std::vector<RenderPart>& renderParts, bool applyChanges)
        : parts(renderParts), enabled(applyChanges)
    {
        for (const RenderPart& part : parts)
        {
            current.push_back(part.instance->currentProgram());
        }
    }

    // Whether a program change later than position and before end shortens the block there, so
    // that the change acts at its own frame.
    std::uint64_t blockEnd(const MidiSong& song, const std::vector<std::uint64_t>& frames,
                           std::size_t cursor, std::uint64_t position, std::uint64_t end) const
    {
        for (; cursor < frames.size() && frames[cursor] < end; ++cursor)
        {
            if (isProgramChange(song.events[cursor]) && frames[cursor] > position)
            {
                return frames[cursor];
            }
        }
        return end;
    }

    // True when the event is taken here and not passed on: a program change is applied (or
    // dropped when changes are off). Bank selects and note-ons are noted and passed on.
    bool take(const SongEvent& event, RenderResult& result)
    {
        const int channel = event.channel();
        const int part = partOf(channel);
        if ((event.status & 0xF0) == 0xB0 && (event.data1 == 0 || event.data1 == 32))
        {
            (event.data1 == 0 ? bankMsb : bankLsb)[channel] = event.data2;
            return false;
        }
        if ((event.status & 0xF0) == 0x90 && event.data2 > 0 && part >= 0)
        {
            std::vector<int>& used = result.programsUsed[static_cast<std::size_t>(channel)];
            const int program = current[static_cast<std::size_t>(part)];
            if (std::find(used.begin(), used.end(), program) == used.end())
            {
                used.push_back(program);
            }
            return false;
        }
        if (!isProgramChange(event))
        {
            return false;
        }
        if (!enabled || part < 0)
        {
            return true;
        }
        PluginInstance& instance = *parts[static_cast<std::size_t>(part)].instance;
        int program = event.data1;
        if (instance.numPrograms() > 128)
        {
            program += 128 * (bankMsb[channel] * 128 + bankLsb[channel]);
        }
        if (program >= instance.numPrograms())
        {
            ++result.unknownPrograms;
            return true;
        }
        instance.setProgram(program);
        current[static_cast<std::size_t>(part)] = program;
        return true;
    }

private:
    static bool isProgramChange(const SongEvent& event) { return (event.status & 0xF0) == 0xC0; }

    int partOf(int channel) const
    {
        for (std::size_t p = 0; p < parts.size(); ++p)
        {
            if ((parts[p].channels >> channel) & 1u)
            {
                return static_cast<int>(p);
            }
        }
        return -1;
    }

    const std::vector<RenderPart>& parts;
    const bool enabled;
    std::vector<int> current;
    int bankMsb[16] = {};
    int bankLsb[16] = {};
};

// Gives the events from cursor on that play before end, in song order and stamped relative to
// position, to every part that plays their channel. Returns the cursor after them.
std::size_t collectEvents(const MidiSong& song, const std::vector<std::uint64_t>& frames,
                          std::size_t cursor, std::uint64_t position, std::uint64_t end,
                          const std::vector<RenderPart>& parts, std::vector<PartBuffers>& buffers,
                          ProgramRouter& programs, RenderResult& result)
{
    for (PartBuffers& part : buffers)
    {
        part.events.clear();
    }
    for (; cursor < frames.size() && frames[cursor] < end; ++cursor)
    {
        const SongEvent& event = song.events[cursor];
        if (programs.take(event, result))
        {
            continue;
        }
        VstMidiEvent midi{};
        midi.type = kVstMidiType;
        midi.byteSize = sizeof(VstMidiEvent);
        midi.deltaFrames = static_cast<VstInt32>(frames[cursor] - position);
        midi.flags = kVstMidiEventIsRealtime;
        midi.midiData[0] = static_cast<char>(event.status);
        midi.midiData[1] = static_cast<char>(event.data1);
        midi.midiData[2] = static_cast<char>(event.data2);
        for (std::size_t p = 0; p < parts.size(); ++p)
        {
            if ((parts[p].channels >> event.channel()) & 1u)
            {
                buffers[p].events.push_back(midi);
            }
        }
    }
    return cursor;
}

// Frames of the mix not yet given to the sink. After the song, quiet frames wait here until a
// louder frame shows that they belong to the output; those still here at the end are dropped.
// The peak of the last frames given out is kept as the level at which the output ends.
class HeldFrames
{
public:
    explicit HeldFrames(std::size_t endWindowFrames)
        : endWindow(std::max<std::size_t>(1, endWindowFrames), 0.0f)
    {
    }

    void append(const std::vector<float>& left, const std::vector<float>& right, int count)
    {
        held[0].insert(held[0].end(), left.begin(), left.begin() + count);
        held[1].insert(held[1].end(), right.begin(), right.begin() + count);
    }

    // Gives the frames before frame upTo to the sink.
    bool release(std::uint64_t upTo, const Renderer::Sink& sink, std::string& error)
    {
        while (given < upTo)
        {
            const auto count = static_cast<int>(std::min<std::uint64_t>(upTo - given, 65536));
            const float* channels[2] = {held[0].data() + first, held[1].data() + first};
            for (int i = 0; i < count; ++i)
            {
                endWindow[windowIndex] =
                    std::max(std::fabs(channels[0][i]), std::fabs(channels[1][i]));
                windowIndex = (windowIndex + 1) % endWindow.size();
            }
            if (!sink(channels, count, error))
            {
                return false;
            }
            first += static_cast<std::size_t>(count);
            given += static_cast<std::uint64_t>(count);
        }
        // Drop what was given once it is at least half of the store: amortised constant time.
        if (first > 0 && 2 * first >= held[0].size())
        {
            for (std::vector<float>& channel : held)
            {
                channel.erase(channel.begin(),
                              channel.begin() + static_cast<std::ptrdiff_t>(first));
            }
            first = 0;
        }
        return true;
    }

    std::uint64_t framesGiven() const { return given; }
    double endPeak() const
    {
        return static_cast<double>(*std::max_element(endWindow.begin(), endWindow.end()));
    }

private:
    std::vector<float> held[2];
    std::size_t first = 0;   // index in held of the first frame not yet given
    std::uint64_t given = 0; // frames given to the sink
    std::vector<float> endWindow;
    std::size_t windowIndex = 0;
};

// The transport as of a block's first frame: playing, with the song's tempo and position in 4/4.
VstTimeInfo timeAt(const MidiSong& song, std::uint64_t position, double rate)
{
    const double seconds = static_cast<double>(position) / rate;
    VstTimeInfo time{};
    time.samplePos = static_cast<double>(position);
    time.sampleRate = rate;
    time.nanoSeconds = seconds * 1.0e9;
    time.ppqPos = song.tempo.quartersAtSeconds(seconds);
    time.tempo = song.tempo.tempoAtSeconds(seconds);
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid |
                 (position == 0 ? kVstTransportChanged : 0);
    return time;
}

// Every part processes the block; the mix is the sum of their first two outputs (a mono part
// plays on both sides) times gain.
void mixParts(const std::vector<RenderPart>& parts, std::vector<PartBuffers>& buffers,
              const VstTimeInfo& time, int count, float gain, std::vector<float>& left,
              std::vector<float>& right)
{
    std::fill(left.begin(), left.begin() + count, 0.0f);
    std::fill(right.begin(), right.begin() + count, 0.0f);
    for (std::size_t p = 0; p < parts.size(); ++p)
    {
        parts[p].instance->process(buffers[p].events, time, buffers[p].pointers.data(), count);
        const std::size_t outputs = buffers[p].pointers.size();
        if (outputs == 0)
        {
            continue;
        }
        const float* first = buffers[p].pointers[0];
        const float* second = buffers[p].pointers[outputs > 1 ? 1 : 0];
        for (int i = 0; i < count; ++i)
        {
            left[static_cast<std::size_t>(i)] += first[i] * gain;
            right[static_cast<std::size_t>(i)] += second[i] * gain;
        }
    }
}

// The levels of the mix, frame by frame, and where it was last loud (at or above the silence
// level). The output may be cut after the last loud frame or at the song's end, so the levels as
// of those two frames are kept as well.
class LevelMeter
{
public:
    explicit LevelMeter(std::uint64_t songEndFrames) : songFrames(songEndFrames) {}

    // Measures count frames starting at frame position. A sample that is not finite becomes 0
    // and is counted in nonFinite.
    void measure(std::vector<float>& left, std::vector<float>& right, int count,
                 std::uint64_t position, std::uint64_t& nonFinite)
    {
        for (int i = 0; i < count; ++i)
        {
            bool loud = false;
            for (int channel = 0; channel < 2; ++channel)
            {
                float& x = (channel == 0 ? left : right)[static_cast<std::size_t>(i)];
                if (!std::isfinite(x))
                {
                    ++nonFinite;
                    x = 0.0f;
                }
                const double magnitude = std::fabs(static_cast<double>(x));
                running.sumSquares[channel] += magnitude * magnitude;
                running.peak[channel] = std::max(running.peak[channel], magnitude);
                loud = loud || magnitude >= Renderer::kSilenceLevel;
            }
            const std::uint64_t frame = position + static_cast<std::uint64_t>(i);
            if (loud)
            {
                lastLoudEnd = frame + 1;
                atLastLoud = running;
            }
            if (frame + 1 == songFrames)
            {
                atSongEnd = running;
            }
        }
    }

    // One past the last loud frame (0 before any).
    std::uint64_t getLastLoudEnd() const { return lastLoudEnd; }

    // The levels of the first kept frames of rendered: all of them, up to the last loud frame, or
    // up to the song's end.
    const Levels& levelsOf(std::uint64_t kept, std::uint64_t rendered) const
    {
        return kept == rendered ? running : kept == lastLoudEnd ? atLastLoud : atSongEnd;
    }

private:
    const std::uint64_t songFrames;
    Levels running;
    Levels atLastLoud;
    Levels atSongEnd;
    std::uint64_t lastLoudEnd = 0;
};

// Whether the render has ended at position: a fixed tail at the planned frames; an automatic one
// after the song, at the planned frames or once the mix has stayed silent for silenceFrames.
bool tailEnded(const RenderSettings& settings, std::uint64_t position, std::uint64_t songFrames,
               std::uint64_t limit, std::uint64_t lastLoudEnd, std::uint64_t silenceFrames)
{
    if (!settings.autoTail)
    {
        return position >= limit;
    }
    return position >= songFrames &&
           (position >= limit || position - std::max(songFrames, lastLoudEnd) >= silenceFrames);
}

} // namespace

std::uint64_t Renderer::eventFrame(const MidiSong& song, const SongEvent& event, double sampleRate)
{
    return static_cast<std::uint64_t>(std::llround(song.tempo.secondsAt(event.tick) * sampleRate));
}

std::uint64_t Renderer::plannedFrames(const MidiSong& song, const RenderSettings& settings)
{
    const std::uint64_t songFrames =
        song.events.empty() ? 0 : eventFrame(song, song.events.back(), settings.sampleRate) + 1;
    const double tail = settings.autoTail ? settings.maxTailSeconds : settings.tailSeconds;
    return songFrames + static_cast<std::uint64_t>(std::llround(tail * settings.sampleRate));
}

bool Renderer::render(const MidiSong& song, const std::vector<RenderPart>& parts,
                      const RenderSettings& settings, const Sink& sink, const Progress& progress,
                      RenderResult& result, std::string& error)
{
    const auto started = std::chrono::steady_clock::now();
    const double rate = settings.sampleRate;
    const int blockSize = settings.blockSize;
    result = RenderResult{};

    const std::vector<std::uint64_t> frames = eventFrames(song, rate);
    const std::uint64_t songFrames = frames.empty() ? 0 : frames.back() + 1;
    const std::uint64_t limit = plannedFrames(song, settings);
    const auto silenceFrames =
        static_cast<std::uint64_t>(std::llround(settings.silenceSeconds * rate));
    result.songFrames = songFrames;

    std::vector<PartBuffers> buffers = startParts(parts, blockSize);
    std::vector<float> left(static_cast<std::size_t>(blockSize));
    std::vector<float> right(static_cast<std::size_t>(blockSize));
    ProgramRouter programs(parts, settings.programChanges);
    HeldFrames held(static_cast<std::size_t>(std::llround(0.05 * rate)));
    LevelMeter meter(songFrames);
    std::uint64_t position = 0;
    std::size_t cursor = 0;
    bool ok = true;
    while (!tailEnded(settings, position, songFrames, limit, meter.getLastLoudEnd(), silenceFrames))
    {
        std::uint64_t end =
            position + std::min<std::uint64_t>(static_cast<std::uint64_t>(blockSize),
                                               std::max<std::uint64_t>(limit - position, 1));
        end = programs.blockEnd(song, frames, cursor, position, end);
        const auto count = static_cast<int>(end - position);
        cursor =
            collectEvents(song, frames, cursor, position, end, parts, buffers, programs, result);
        mixParts(parts, buffers, timeAt(song, position, rate), count, settings.gain, left, right);
        meter.measure(left, right, count, position, result.nonFiniteSamples);
        held.append(left, right, count);
        // An automatic tail keeps the frames up to the last loud one, never fewer than the song.
        const std::uint64_t keep =
            settings.autoTail ? std::min(end, std::max(songFrames, meter.getLastLoudEnd())) : end;
        if (!held.release(keep, sink, error))
        {
            ok = false;
            break;
        }
        position = end;
        if (progress)
        {
            progress(position, limit);
        }
    }
    for (const RenderPart& part : parts)
    {
        part.instance->stop();
    }

    result.frames = held.framesGiven();
    result.endPeak = held.endPeak();
    // Only an automatic tail can surprise: a fixed one is as long as it was asked to be.
    result.cutWhileSounding = ok && settings.autoTail && position >= limit &&
                              meter.getLastLoudEnd() + silenceFrames > position;
    const Levels& kept = meter.levelsOf(result.frames, position);
    for (int channel = 0; channel < 2; ++channel)
    {
        result.peak[channel] = kept.peak[channel];
        result.rms[channel] =
            result.frames > 0
                ? std::sqrt(kept.sumSquares[channel] / static_cast<double>(result.frames))
                : 0.0;
    }
    result.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return ok;
}
