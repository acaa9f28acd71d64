// Streams planar float audio into a WAV file of 16-bit or 24-bit PCM or 32-bit float samples.
#pragma once

#include "tools/render/WavFormat.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The header is written first with the sizes of an empty file and patched on close. PCM samples
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

    bool open(const std::string& path, WavFormat format, int channels, int sampleRate,
              std::string& error);
    // channelData holds channels pointers to frames samples each.
    bool write(const float* const* channelData, int frames, std::string& error);
    // Drops every frame after the first frames (used to cut a silent end); before close.
    bool truncate(std::uint64_t frames, std::string& error);
    // Patches the header sizes and closes; false when anything failed.
    bool close(std::string& error);
    // Closes and deletes the file (after an error, so no half-written file is left).
    void discard();

    std::uint64_t framesWritten() const { return frames; }
    std::uint64_t clippedSamples() const { return clipped; }

private:
    std::FILE* file = nullptr;
    std::string path;
    WavFormat format = WavFormat::Pcm16;
    int channels = 2;
    int sampleRate = 44100;
    std::uint64_t frames = 0;
    std::uint64_t clipped = 0;
    std::vector<std::uint8_t> buffer;
};
