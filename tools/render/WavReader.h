// Reads the WAV files this tool writes (16/24-bit PCM, 32-bit float) back into float samples.
#pragma once

#include "tools/render/WavFormat.h"

#include <cstdint>
#include <string>
#include <vector>

struct WavData
{
    WavFormat format = WavFormat::Pcm16;
    int sampleRate = 0;
    std::vector<std::vector<float>> channels; // one vector of samples per channel
};

// Walks the RIFF chunks (unknown ones skipped, odd sizes padded) and decodes "data" after
// "fmt ". PCM integers map to -1..1 by the same scale the writer uses. Refuses a file that is
// not RIFF/WAVE, lacks a chunk, has a chunk past the end or a format it does not know.
class WavReader
{
public:
    static bool read(const std::vector<std::uint8_t>& bytes, WavData& wav, std::string& error);
    static bool readFile(const std::string& path, WavData& wav, std::string& error);
};
