// WAV header layout, sample conversion and the streaming file writer.
#include "tools/render/WavWriter.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

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

void set32(std::vector<std::uint8_t>& header, std::size_t at, std::uint32_t value)
{
    for (int b = 0; b < 4; ++b)
    {
        header[at + static_cast<std::size_t>(b)] =
            static_cast<std::uint8_t>((value >> (8 * b)) & 0xFF);
    }
}

// Replaces the data size, the RIFF size that follows from it, and the frame count of a float
// file's fact chunk.
void setSizes(std::vector<std::uint8_t>& header, WavFormat format, std::uint32_t dataBytes,
              std::uint32_t frames)
{
    set32(header, 4, dataBytes + static_cast<std::uint32_t>(header.size()) - 8);
    set32(header, header.size() - 4, dataBytes);
    if (format == WavFormat::Float32)
    {
        set32(header, 46, frames);
    }
}

// Opens a file that must not exist yet for writing, or returns null with errno set.
std::FILE* createNew(const std::string& name)
{
#ifdef _WIN32
    const int fd =
        _open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    return fd >= 0 ? _fdopen(fd, "wb") : nullptr;
#else
    const int fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    return fd >= 0 ? fdopen(fd, "wb") : nullptr;
#endif
}

// Gives from the name to; on Windows a rename does not always replace an existing file.
void replaceFile(const std::string& from, const std::string& to, std::error_code& code)
{
    std::filesystem::rename(from, to, code);
#ifdef _WIN32
    if (code && std::filesystem::is_regular_file(to))
    {
        std::error_code ignored;
        std::filesystem::remove(to, ignored);
        code.clear();
        std::filesystem::rename(from, to, code);
    }
#endif
}

} // namespace

WavWriter::~WavWriter()
{
    discard(); // a writer that was never closed holds no complete file
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
    path = filePath;
    temporary.clear();
    ownsFile = filePath != "-";
    std::error_code code;
    // Through a symbolic link: the renamed file must replace what the link names, not the link.
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(filePath, code)))
    {
        const std::filesystem::path resolved = std::filesystem::canonical(filePath, code);
        if (!code)
        {
            path = resolved.string();
        }
    }
    const auto status = std::filesystem::status(path, code);
    if (!ownsFile)
    {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        file = stdout;
    }
    else if ((std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) ||
             filePath.rfind("/dev/", 0) == 0 || filePath.rfind("/proc/", 0) == 0)
    {
        if (std::filesystem::is_directory(status))
        {
            error = filePath + ": is a directory";
            return false;
        }
        // A device, a pipe or a name of an open descriptor (/dev/stdout): written in place.
        file = std::fopen(filePath.c_str(), "wb");
    }
    else
    {
#ifdef _WIN32
        const unsigned long id = GetCurrentProcessId();
#else
        const auto id = static_cast<unsigned long>(getpid());
#endif
        temporary = path + "." + std::to_string(id) + ".part";
        file = createNew(temporary);
    }
    if (file == nullptr)
    {
        error = (temporary.empty() ? filePath : temporary) + ": " + std::strerror(errno);
        temporary.clear();
        return false;
    }
    format = fileFormat;
    channels = channelCount;
    sampleRate = rate;
    frames = 0;
    clipped = 0;
    std::vector<std::uint8_t> start = header(format, channels, sampleRate, 0);
    setSizes(start, format, kStreamDataBytes,
             kStreamDataBytes / static_cast<std::uint32_t>(channels * wavBytesPerSample(format)));
    if (std::fwrite(start.data(), 1, start.size(), file) != start.size())
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

bool WavWriter::close(std::string& error)
{
    if (file == nullptr)
    {
        error = "WAV file is not open";
        return false;
    }
    const std::vector<std::uint8_t> final =
        header(format, channels, sampleRate, static_cast<std::uint32_t>(frames));
    // A stream that cannot seek keeps the unknown sizes it started with.
    bool ok = std::fflush(file) == 0;
    if (ok && std::fseek(file, 0, SEEK_SET) == 0)
    {
        ok = std::fwrite(final.data(), 1, final.size(), file) == final.size();
    }
    ok = std::fflush(file) == 0 && ok;
    if (ownsFile)
    {
        ok = std::fclose(file) == 0 && ok;
    }
    file = nullptr;
    std::error_code code;
    if (ok && !temporary.empty())
    {
        replaceFile(temporary, path, code);
        ok = !code;
    }
    if (!ok)
    {
        error = path + ": write failed" + (code ? " (" + code.message() + ")" : "");
        discard();
        return false;
    }
    temporary.clear();
    return true;
}

void WavWriter::discard()
{
    if (file != nullptr && ownsFile)
    {
        std::fclose(file);
    }
    file = nullptr;
    if (!temporary.empty())
    {
        std::remove(temporary.c_str());
        temporary.clear();
    }
}
