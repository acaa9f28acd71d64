// Streams planar float audio into a WAV file of 16-bit or 24-bit PCM or 32-bit float samples.
#pragma once

#include "tools/render/WavFormat.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The header is written first and its sizes are patched on close. A file is written under a
// temporary name beside the target (TARGET.PID.part) and renamed to the target once complete, so
// no half-written file ever carries the target's name. "-" writes to standard output and a target
// that is not a regular file (a device, a pipe) is written in place; when such an output cannot
// seek, its sizes stay those of a stream of unknown length as sox writes them (a data size of
// 0x7FFFF000 bytes), which sox and similar readers take as "until the stream ends". PCM samples
// are clipped to -1..1 (counted in clippedSamples()) and rounded to the nearest step; non-finite
// samples are written as 0 in every format, so a file never carries NaN or infinity.
class WavWriter
{
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // The complete header for a file of frames frames: 44 bytes for PCM ("fmt " of 16 bytes,
    // then "data"); 58 bytes for float ("fmt " of 18 bytes with cbSize 0, "fact" holding the
    // frame count, then "data"), as the format asks of non-PCM files.
    static std::vector<std::uint8_t> header(WavFormat format, int channels, int sampleRate,
                                            std::uint32_t frames);
    // The most frames a file can hold: the RIFF size is a 32-bit field.
    static std::uint64_t maxFrames(WavFormat format, int channels);

    // The data size written while the length is not yet known (the RIFF size and a float file's
    // frame count follow from it).
    static constexpr std::uint32_t kStreamDataBytes = 0x7FFFF000u;

    bool open(const std::string& path, WavFormat format, int channels, int sampleRate,
              std::string& error);
    // channelData holds channels pointers to frames samples each.
    bool write(const float* const* channelData, int frames, std::string& error);
    // Patches the header sizes (where the output can seek), closes, and gives a temporary file
    // the target's name; false when anything failed (the temporary file is then removed).
    bool close(std::string& error);
    // Closes and deletes the temporary file (after an error or an interruption), so no
    // half-written file is left; a stream or device is only closed.
    void discard();

    // The file being written: the temporary name, or empty for a stream or device.
    const std::string& partialPath() const { return temporary; }

    std::uint64_t framesWritten() const { return frames; }
    std::uint64_t clippedSamples() const { return clipped; }

private:
    std::FILE* file = nullptr;
    bool ownsFile = true;  // false for standard output
    std::string path;      // the target, as given
    std::string temporary; // written here, renamed to path on close; empty when written in place
    WavFormat format = WavFormat::Pcm16;
    int channels = 2;
    int sampleRate = 44100;
    std::uint64_t frames = 0;
    std::uint64_t clipped = 0;
    std::vector<std::uint8_t> buffer;
};
