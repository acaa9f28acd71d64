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

    std::vector<std::uint64_t> frames;
    frames.reserve(song.events.size());
    for (const SongEvent& event : song.events)
    {
        frames.push_back(eventFrame(song, event, rate));
    }
    const std::uint64_t songFrames = frames.empty() ? 0 : frames.back() + 1;
    const std::uint64_t limit = plannedFrames(song, settings);
    const auto silenceFrames =
        static_cast<std::uint64_t>(std::llround(settings.silenceSeconds * rate));
    result.songFrames = songFrames;

    // Per-part output buffers and event lists.
    std::vector<std::vector<std::vector<float>>> buffers(parts.size());
    std::vector<std::vector<float*>> pointers(parts.size());
    std::vector<std::vector<VstMidiEvent>> events(parts.size());
    for (std::size_t p = 0; p < parts.size(); ++p)
    {
        const int outputs = parts[p].instance->numOutputs();
        buffers[p].assign(static_cast<std::size_t>(outputs),
                          std::vector<float>(static_cast<std::size_t>(blockSize), 0.0f));
        for (auto& buffer : buffers[p])
        {
            pointers[p].push_back(buffer.data());
        }
        parts[p].instance->start();
    }
    const float gain = settings.gain;
    std::vector<float> left(static_cast<std::size_t>(blockSize));
    std::vector<float> right(static_cast<std::size_t>(blockSize));
    const float* mix[2] = {left.data(), right.data()};

    Levels running;
    Levels atLastLoud;
    Levels atSongEnd;
    std::uint64_t lastLoudEnd = 0; // one past the last frame at or above the silence level
    std::uint64_t position = 0;
    std::size_t cursor = 0;
    bool ok = true;
    for (;;)
    {
        if (!settings.autoTail && position >= limit)
        {
            break;
        }
        if (settings.autoTail && position >= songFrames &&
            (position >= limit || position - std::max(songFrames, lastLoudEnd) >= silenceFrames))
        {
            break;
        }
        const int count = static_cast<int>(std::min<std::uint64_t>(
            static_cast<std::uint64_t>(blockSize), std::max<std::uint64_t>(limit - position, 1)));
        const std::uint64_t end = position + static_cast<std::uint64_t>(count);

        // The events of this block, in song order, to every part that plays their channel.
        for (auto& list : events)
        {
            list.clear();
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
                    events[p].push_back(midi);
                }
            }
        }

        // Time information as of the first frame of the block.
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

        std::fill(left.begin(), left.begin() + count, 0.0f);
        std::fill(right.begin(), right.begin() + count, 0.0f);
        for (std::size_t p = 0; p < parts.size(); ++p)
        {
            parts[p].instance->process(events[p], time, pointers[p].data(), count);
            const std::size_t outputs = pointers[p].size();
            if (outputs == 0)
            {
                continue;
            }
            const float* first = pointers[p][0];
            const float* second = pointers[p][outputs > 1 ? 1 : 0]; // mono plays on both sides
            for (int i = 0; i < count; ++i)
            {
                left[static_cast<std::size_t>(i)] += first[i] * gain;
                right[static_cast<std::size_t>(i)] += second[i] * gain;
            }
        }

        for (int i = 0; i < count; ++i)
        {
            bool loud = false;
            for (int channel = 0; channel < 2; ++channel)
            {
                float& x = (channel == 0 ? left : right)[static_cast<std::size_t>(i)];
                if (!std::isfinite(x))
                {
                    ++result.nonFiniteSamples;
                    x = 0.0f;
                }
                const double magnitude = std::fabs(static_cast<double>(x));
                running.sumSquares[channel] += magnitude * magnitude;
                running.peak[channel] = std::max(running.peak[channel], magnitude);
                loud = loud || magnitude >= kSilenceLevel;
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

    result.frames = position;
    const Levels* kept = &running;
    if (settings.autoTail && ok)
    {
        result.frames = std::min(position, std::max(songFrames, lastLoudEnd));
        kept = result.frames == position      ? &running
               : result.frames == lastLoudEnd ? &atLastLoud
                                              : &atSongEnd;
    }
    for (int channel = 0; channel < 2; ++channel)
    {
        result.peak[channel] = kept->peak[channel];
        result.rms[channel] =
            result.frames > 0
                ? std::sqrt(kept->sumSquares[channel] / static_cast<double>(result.frames))
                : 0.0;
    }
    result.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return ok;
}
