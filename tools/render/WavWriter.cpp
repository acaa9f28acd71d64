// WAV header layout, sample conversion and the streaming file writer.
#include "tools/render/WavWriter.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace
{

void put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putTag(std::vector<std::uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
    {
        out.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}

std::size_t headerSize(WavFormat format)
{
    return format == WavFormat::Float32 ? 58 : 44;
}

} // namespace

WavWriter::~WavWriter()
{
    if (file != nullptr)
    {
        std::string ignored;
        close(ignored);
    }
}

std::vector<std::uint8_t> WavWriter::header(WavFormat format, int channels, int sampleRate,
                                            std::uint32_t frames)
{
    const auto bytesPerSample = static_cast<std::uint32_t>(wavBytesPerSample(format));
    const std::uint32_t blockAlign = bytesPerSample * static_cast<std::uint32_t>(channels);
    const std::uint32_t dataBytes = frames * blockAlign;
    const bool isFloat = format == WavFormat::Float32;
    std::vector<std::uint8_t> out;
    putTag(out, "RIFF");
    put32(out, static_cast<std::uint32_t>(headerSize(format)) - 8 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, isFloat ? 18 : 16);
    put16(out, isFloat ? 3 : 1);
    put16(out, static_cast<std::uint32_t>(channels));
    put32(out, static_cast<std::uint32_t>(sampleRate));
    put32(out, static_cast<std::uint32_t>(sampleRate) * blockAlign);
    put16(out, blockAlign);
    put16(out, bytesPerSample * 8);
    if (isFloat)
    {
        put16(out, 0); // cbSize: no extension
        putTag(out, "fact");
        put32(out, 4);
        put32(out, frames);
    }
    putTag(out, "data");
    put32(out, dataBytes);
    return out;
}

std::uint64_t WavWriter::maxFrames(WavFormat format, int channels)
{
    const std::uint64_t blockAlign = static_cast<std::uint64_t>(wavBytesPerSample(format)) *
                                     static_cast<std::uint64_t>(channels);
    return (0xFFFFFFFFull - headerSize(format)) / blockAlign;
}

bool WavWriter::open(const std::string& filePath, WavFormat fileFormat, int channelCount, int rate,
                     std::string& error)
{
    if (channelCount < 1 || channelCount > 64 || rate < 1)
    {
        error = "invalid WAV layout";
        return false;
    }
    file = std::fopen(filePath.c_str(), "wb");
    if (file == nullptr)
    {
        error = filePath + ": " + std::strerror(errno);
        return false;
    }
    path = filePath;
    format = fileFormat;
    channels = channelCount;
    sampleRate = rate;
    frames = 0;
    clipped = 0;
    const std::vector<std::uint8_t> empty = header(format, channels, sampleRate, 0);
    if (std::fwrite(empty.data(), 1, empty.size(), file) != empty.size())
    {
        error = path + ": write failed";
        discard();
        return false;
    }
    return true;
}

bool WavWriter::write(const float* const* channelData, int count, std::string& error)
{
    if (file == nullptr || count < 0)
    {
        error = "WAV file is not open";
        return false;
    }
    if (frames + static_cast<std::uint64_t>(count) > maxFrames(format, channels))
    {
        error = path + ": longer than a WAV file can hold (4 GB)";
        return false;
    }
    const int bytesPerSample = wavBytesPerSample(format);
    buffer.resize(static_cast<std::size_t>(count) * static_cast<std::size_t>(channels) *
                  static_cast<std::size_t>(bytesPerSample));
    std::uint8_t* out = buffer.data();
    for (int frame = 0; frame < count; ++frame)
    {
        for (int channel = 0; channel < channels; ++channel)
        {
            float x = channelData[channel][frame];
            if (!std::isfinite(x))
            {
                x = 0.0f;
            }
            if (format == WavFormat::Float32)
            {
                std::uint32_t bits = 0;
                std::memcpy(&bits, &x, sizeof(bits));
                for (int b = 0; b < 4; ++b)
                {
                    *out++ = static_cast<std::uint8_t>((bits >> (8 * b)) & 0xFF);
                }
                continue;
            }
            if (x > 1.0f || x < -1.0f)
            {
                ++clipped;
                x = x > 1.0f ? 1.0f : -1.0f;
            }
            // Symmetric scale: full scale maps to +-32767 (+-8388607), 0 stays 0.
            const float scale = format == WavFormat::Pcm16 ? 32767.0f : 8388607.0f;
            const auto value = static_cast<std::int32_t>(std::lrint(x * scale));
            const auto bits = static_cast<std::uint32_t>(value);
            for (int b = 0; b < bytesPerSample; ++b)
            {
                *out++ = static_cast<std::uint8_t>((bits >> (8 * b)) & 0xFF);
            }
        }
    }
    if (!buffer.empty() && std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size())
    {
        error = path + ": write failed (disk full?)";
        return false;
    }
    frames += static_cast<std::uint64_t>(count);
    return true;
}

bool WavWriter::truncate(std::uint64_t keepFrames, std::string& error)
{
    if (file == nullptr)
    {
        error = "WAV file is not open";
        return false;
    }
    if (keepFrames >= frames)
    {
        return true;
    }
    // Closing and cutting the file is the portable way; the header is patched in close.
    if (std::fclose(file) != 0)
    {
        file = nullptr;
        error = path + ": write failed";
        return false;
    }
    file = nullptr;
    const std::uint64_t bytes =
        headerSize(format) + keepFrames * static_cast<std::uint64_t>(channels) *
                                 static_cast<std::uint64_t>(wavBytesPerSample(format));
    std::error_code code;
    std::filesystem::resize_file(path, bytes, code);
    file = std::fopen(path.c_str(), "r+b");
    if (code || file == nullptr)
    {
        error = path + ": cannot shorten the file";
        return false;
    }
    frames = keepFrames;
    return true;
}

bool WavWriter::close(std::string& error)
{
    if (file == nullptr)
    {
        error = "WAV file is not open";
        return false;
    }
    const std::vector<std::uint8_t> final =
        header(format, channels, sampleRate, static_cast<std::uint32_t>(frames));
    bool ok = std::fseek(file, 0, SEEK_SET) == 0 &&
              std::fwrite(final.data(), 1, final.size(), file) == final.size();
    ok = (std::fclose(file) == 0) && ok;
    file = nullptr;
    if (!ok)
    {
        error = path + ": write failed";
    }
    return ok;
}

void WavWriter::discard()
{
    if (file != nullptr)
    {
        std::fclose(file);
        file = nullptr;
    }
    if (!path.empty())
    {
        std::remove(path.c_str());
    }
}
