// The sample formats of the WAV files the render tool writes and checks.
#pragma once

#include <cstdint>

enum class WavFormat
{
    Pcm16,   // 16-bit integer PCM, format tag 1
    Pcm24,   // 24-bit integer PCM, format tag 1
    Float32, // 32-bit IEEE float, format tag 3
};

inline int wavBytesPerSample(WavFormat format)
{
    return format == WavFormat::Pcm16 ? 2 : format == WavFormat::Pcm24 ? 3 : 4;
}

inline const char* wavFormatName(WavFormat format)
{
    return format == WavFormat::Pcm16   ? "16-bit PCM"
           : format == WavFormat::Pcm24 ? "24-bit PCM"
                                        : "32-bit float";
}
