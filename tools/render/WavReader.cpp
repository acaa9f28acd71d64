// RIFF chunk walking and sample decoding for WAV files.
#include "tools/render/WavReader.h"

#include "tools/render/FileBytes.h"

#include <cstring>

namespace
{

std::uint32_t little32(const std::uint8_t* p)
{
    return p[0] | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t little16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

bool WavReader::read(const std::vector<std::uint8_t>& bytes, WavData& wav, std::string& error)
{
    const std::size_t size = bytes.size();
    const std::uint8_t* data = bytes.data();
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    {
        error = "not a WAV file (no RIFF/WAVE header)";
        return false;
    }
    bool haveFormat = false;
    int channelCount = 0;
    int bits = 0;
    int tag = 0;
    std::size_t offset = 12;
    while (size - offset >= 8)
    {
        const std::uint8_t* chunk = data + offset;
        std::uint32_t length = little32(chunk + 4);
        offset += 8;
        // A streamed file (written where its sizes could not be patched) holds data up to its
        // end: sox's size for an unknown length, or the largest size.
        if (std::memcmp(chunk, "data", 4) == 0 &&
            (length == 0x7FFFF000u || length == 0xFFFFFFFFu) && length > size - offset)
        {
            length = static_cast<std::uint32_t>(size - offset);
        }
        if (length > size - offset)
        {
            error = "truncated: chunk of " + std::to_string(length) + " bytes runs past the end";
            return false;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0)
        {
            if (length < 16)
            {
                error = "format chunk too short";
                return false;
            }
            tag = little16(chunk + 8);
            channelCount = little16(chunk + 10);
            wav.sampleRate = static_cast<int>(little32(chunk + 12));
            bits = little16(chunk + 22);
            haveFormat = true;
        }
        else if (std::memcmp(chunk, "data", 4) == 0)
        {
            if (!haveFormat)
            {
                error = "data chunk before the format chunk";
                return false;
            }
            if (tag == 1 && bits == 16)
            {
                wav.format = WavFormat::Pcm16;
            }
            else if (tag == 1 && bits == 24)
            {
                wav.format = WavFormat::Pcm24;
            }
            else if (tag == 3 && bits == 32)
            {
                wav.format = WavFormat::Float32;
            }
            else
            {
                error = "unsupported sample format (tag " + std::to_string(tag) + ", " +
                        std::to_string(bits) + " bits)";
                return false;
            }
            if (channelCount < 1 || wav.sampleRate < 1)
            {
                error = "invalid channel count or sample rate";
                return false;
            }
            const std::size_t bytesPerSample =
                static_cast<std::size_t>(wavBytesPerSample(wav.format));
            const std::size_t frameBytes = bytesPerSample * static_cast<std::size_t>(channelCount);
            const std::size_t frames = length / frameBytes;
            wav.channels.assign(static_cast<std::size_t>(channelCount), std::vector<float>(frames));
            const std::uint8_t* p = data + offset;
            for (std::size_t frame = 0; frame < frames; ++frame)
            {
                for (auto& channel : wav.channels)
                {
                    float value = 0.0f;
                    if (wav.format == WavFormat::Float32)
                    {
                        const std::uint32_t word = little32(p);
                        std::memcpy(&value, &word, sizeof(value));
                    }
                    else if (wav.format == WavFormat::Pcm16)
                    {
                        value =
                            static_cast<float>(static_cast<std::int16_t>(little16(p))) / 32767.0f;
                    }
                    else
                    {
                        // Sign-extend the 24-bit value from the top of a 32-bit word.
                        const auto word =
                            static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 8) |
                                                      (static_cast<std::uint32_t>(p[1]) << 16) |
                                                      (static_cast<std::uint32_t>(p[2]) << 24));
                        value = static_cast<float>(word >> 8) / 8388607.0f;
                    }
                    channel[frame] = value;
                    p += bytesPerSample;
                }
            }
            return true;
        }
        offset += length + (length & 1);
        if (offset > size)
        {
            break;
        }
    }
    error = haveFormat ? "no data chunk" : "no format chunk";
    return false;
}

bool WavReader::readFile(const std::string& path, WavData& wav, std::string& error)
{
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(path, std::size_t{1} << 30, bytes, error))
    {
        return false;
    }
    if (!read(bytes, wav, error))
    {
        error = path + ": " + error;
        return false;
    }
    return true;
}
