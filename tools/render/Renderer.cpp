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

// Gives the events from cursor on that play before end, in song order and stamped relative to
// position, to every part that plays their channel. Returns the cursor after them.
std::size_t collectEvents(const MidiSong& song, const std::vector<std::uint64_t>& frames,
                          std::size_t cursor, std::uint64_t position, std::uint64_t end,
                          const std::vector<RenderPart>& parts, std::vector<PartBuffers>& buffers)
{
    for (PartBuffers& part : buffers)
    {
        part.events.clear();
    }
    for (; cursor < frames.size() && frames[cursor] < end; ++cursor)
    {
        const SongEvent& event = song.events[cursor];
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
    const float* mix[2] = {left.data(), right.data()};
    LevelMeter meter(songFrames);
    std::uint64_t position = 0;
    std::size_t cursor = 0;
    bool ok = true;
    while (!tailEnded(settings, position, songFrames, limit, meter.getLastLoudEnd(), silenceFrames))
    {
        const int count = static_cast<int>(std::min<std::uint64_t>(
            static_cast<std::uint64_t>(blockSize), std::max<std::uint64_t>(limit - position, 1)));
        const std::uint64_t end = position + static_cast<std::uint64_t>(count);
        cursor = collectEvents(song, frames, cursor, position, end, parts, buffers);
        mixParts(parts, buffers, timeAt(song, position, rate), count, settings.gain, left, right);
        meter.measure(left, right, count, position, result.nonFiniteSamples);
        if (!sink(mix, count, error))
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

    // An automatic tail cuts the silent end, never before the last event.
    result.frames = position;
    if (settings.autoTail && ok)
    {
        result.frames = std::min(position, std::max(songFrames, meter.getLastLoudEnd()));
    }
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
