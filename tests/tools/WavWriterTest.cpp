// The WAV writer and reader: byte-exact headers, sample conversion, cutting, damaged files.
#include "tools/render/WavWriter.h"
#include "tools/render/FileBytes.h"
#include "tools/render/WavReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

namespace
{

using Bytes = std::vector<std::uint8_t>;

std::uint32_t le32(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t le16(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::string tag(const Bytes& b, std::size_t at)
{
    return std::string(reinterpret_cast<const char*>(b.data() + at), 4);
}

class WavWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = (std::filesystem::temp_directory_path() /
                ("tavrel-wav-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav"))
                   .string();
    }
    void TearDown() override { std::filesystem::remove(path); }

    Bytes writeFile(WavFormat format, const std::vector<float>& left,
                    const std::vector<float>& right, WavWriter* keep = nullptr)
    {
        WavWriter local;
        WavWriter& writer = keep != nullptr ? *keep : local;
        std::string error;
        EXPECT_TRUE(writer.open(path, format, 2, 48000, error)) << error;
        const float* channels[2] = {left.data(), right.data()};
        EXPECT_TRUE(writer.write(channels, static_cast<int>(left.size()), error)) << error;
        EXPECT_TRUE(writer.close(error)) << error;
        Bytes bytes;
        EXPECT_TRUE(readFileBytes(path, 1 << 20, bytes, error)) << error;
        return bytes;
    }

    std::string path;
};

TEST_F(WavWriterTest, PcmHeadersFollowTheCanonicalLayout)
{
    for (WavFormat format : {WavFormat::Pcm16, WavFormat::Pcm24})
    {
        const int bytesPerSample = format == WavFormat::Pcm16 ? 2 : 3;
        const Bytes h = WavWriter::header(format, 2, 44100, 1000);
        ASSERT_EQ(h.size(), 44u);
        EXPECT_EQ(tag(h, 0), "RIFF");
        EXPECT_EQ(le32(h, 4), 36u + 1000u * 2 * bytesPerSample);
        EXPECT_EQ(tag(h, 8), "WAVE");
        EXPECT_EQ(tag(h, 12), "fmt ");
        EXPECT_EQ(le32(h, 16), 16u);
        EXPECT_EQ(le16(h, 20), 1);                           // PCM
        EXPECT_EQ(le16(h, 22), 2);                           // channels
        EXPECT_EQ(le32(h, 24), 44100u);                      // frames per second
        EXPECT_EQ(le32(h, 28), 44100u * 2 * bytesPerSample); // bytes per second
        EXPECT_EQ(le16(h, 32), 2 * bytesPerSample);          // bytes per frame
        EXPECT_EQ(le16(h, 34), 8 * bytesPerSample);          // bits per sample
        EXPECT_EQ(tag(h, 36), "data");
        EXPECT_EQ(le32(h, 40), 1000u * 2 * bytesPerSample);
    }
}

TEST_F(WavWriterTest, FloatHeaderCarriesCbSizeAndAFactChunk)
{
    const Bytes h = WavWriter::header(WavFormat::Float32, 2, 96000, 10);
    const Bytes expected = {
        'R',  'I',  'F',  'F',  50 + 80, 0,   0,   0,   'W', 'A', 'V',  'E',  'f',  'm',
        't',  ' ',  18,   0,    0,       0,   3,   0,   2,   0,   0x00, 0x77, 0x01, 0x00, // 96000
        0x00, 0xB8, 0x0B, 0x00, // 768000 bytes per second
        8,    0,    32,   0,    0,       0,   'f', 'a', 'c', 't', 4,    0,    0,    0,
        10,   0,    0,    0,    'd',     'a', 't', 'a', 80,  0,   0,    0};
    EXPECT_EQ(h, expected);
}

TEST_F(WavWriterTest, ConvertsSamplesWithClippingAndWritesNonFiniteAsZero)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> left = {0.0f, 1.0f, -1.0f, 0.5f, 2.0f, nan};
    const std::vector<float> right = {-0.5f, -3.0f, 1.0f / 32767.0f,
                                      0.25f, 0.0f,  std::numeric_limits<float>::infinity()};
    WavWriter writer;
    const Bytes pcm16 = writeFile(WavFormat::Pcm16, left, right, &writer);
    EXPECT_EQ(writer.clippedSamples(), 2u);
    ASSERT_EQ(pcm16.size(), 44u + 6 * 4);
    auto sample16 = [&](int frame, int channel)
    {
        return static_cast<std::int16_t>(
            le16(pcm16, 44 + static_cast<std::size_t>(frame * 4 + channel * 2)));
    };
    EXPECT_EQ(sample16(0, 0), 0);
    EXPECT_EQ(sample16(0, 1), -16384); // -0.5 x 32767 rounds to even
    EXPECT_EQ(sample16(1, 0), 32767);
    EXPECT_EQ(sample16(1, 1), -32767); // clipped
    EXPECT_EQ(sample16(2, 0), -32767);
    EXPECT_EQ(sample16(2, 1), 1);
    EXPECT_EQ(sample16(4, 0), 32767); // clipped
    EXPECT_EQ(sample16(5, 0), 0);     // NaN
    EXPECT_EQ(sample16(5, 1), 0);     // infinity

    const Bytes pcm24 = writeFile(WavFormat::Pcm24, left, right);
    ASSERT_EQ(pcm24.size(), 44u + 6 * 6);
    // -1.0 is -8388607 = 0x800001, stored low byte first.
    EXPECT_EQ(pcm24[44 + 12], 0x01);
    EXPECT_EQ(pcm24[44 + 13], 0x00);
    EXPECT_EQ(pcm24[44 + 14], 0x80);

    const Bytes float32 = writeFile(WavFormat::Float32, left, right);
    ASSERT_EQ(float32.size(), 58u + 6 * 8);
    float value = 0.0f;
    std::memcpy(&value, float32.data() + 58 + 4 * 8, 4); // frame 4 left: 2.0 kept unclipped
    EXPECT_EQ(value, 2.0f);
    std::memcpy(&value, float32.data() + 58 + 5 * 8, 4);
    EXPECT_EQ(value, 0.0f);
}

TEST_F(WavWriterTest, ReaderReturnsWhatTheWriterWrote)
{
    std::vector<float> left;
    std::vector<float> right;
    for (int i = 0; i < 300; ++i)
    {
        left.push_back(0.8f * std::sin(0.05f * static_cast<float>(i)));
        right.push_back(-0.3f * std::cos(0.07f * static_cast<float>(i)));
    }
    for (WavFormat format : {WavFormat::Pcm16, WavFormat::Pcm24, WavFormat::Float32})
    {
        writeFile(format, left, right);
        WavData wav;
        std::string error;
        ASSERT_TRUE(WavReader::readFile(path, wav, error)) << error;
        EXPECT_EQ(wav.format, format);
        EXPECT_EQ(wav.sampleRate, 48000);
        ASSERT_EQ(wav.channels.size(), 2u);
        ASSERT_EQ(wav.channels[0].size(), left.size());
        const float step = format == WavFormat::Pcm16   ? 1.0f / 32767.0f
                           : format == WavFormat::Pcm24 ? 1.0f / 8388607.0f
                                                        : 0.0f;
        for (std::size_t i = 0; i < left.size(); ++i)
        {
            EXPECT_NEAR(wav.channels[0][i], left[i], step * 0.51f);
            EXPECT_NEAR(wav.channels[1][i], right[i], step * 0.51f);
        }
    }
}

TEST_F(WavWriterTest, WritesBesideTheTargetAndNamesItOnlyWhenComplete)
{
    std::string error;
    for (const bool complete : {false, true})
    {
        WavWriter writer;
        ASSERT_TRUE(writer.open(path, WavFormat::Pcm16, 2, 44100, error)) << error;
        const std::string partial = writer.partialPath();
        EXPECT_TRUE(std::filesystem::exists(partial));
        EXPECT_FALSE(std::filesystem::exists(path));
        const std::vector<float> half(250, 0.5f);
        const float* channels[2] = {half.data(), half.data()};
        ASSERT_TRUE(writer.write(channels, 250, error));
        if (complete)
        {
            ASSERT_TRUE(writer.close(error)) << error;
        }
        else
        {
            writer.discard();
        }
        EXPECT_FALSE(std::filesystem::exists(partial));
        EXPECT_EQ(std::filesystem::exists(path), complete);
    }
    Bytes bytes;
    ASSERT_TRUE(readFileBytes(path, 1 << 20, bytes, error));
    EXPECT_EQ(bytes.size(), 44u + 250 * 4);
    EXPECT_EQ(le32(bytes, 4), 36u + 250 * 4);
    EXPECT_EQ(le32(bytes, 40), 250u * 4);
}

TEST_F(WavWriterTest, ReportsFilesThatCannotBeWrittenAndFilesTooLarge)
{
    WavWriter writer;
    std::string error;
    EXPECT_FALSE(writer.open("/nonexistent-dir/x.wav", WavFormat::Pcm16, 2, 44100, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(WavWriter::maxFrames(WavFormat::Pcm16, 2), (0xFFFFFFFFull - 44) / 4);
    EXPECT_EQ(WavWriter::maxFrames(WavFormat::Float32, 2), (0xFFFFFFFFull - 58) / 8);
}

TEST_F(WavWriterTest, ReaderRefusesDamagedFiles)
{
    const std::vector<float> samples(16, 0.25f);
    const Bytes good = writeFile(WavFormat::Pcm16, samples, samples);
    Bytes wrongMagic = good;
    wrongMagic[0] = 'X';
    Bytes dataPastEnd = good;
    dataPastEnd[40] = 0xFF;
    dataPastEnd[43] = 0x7F;
    Bytes unknownFormat = good;
    unknownFormat[20] = 2; // ADPCM
    Bytes zeroChannels = good;
    zeroChannels[22] = 0;
    for (const Bytes& bad : {Bytes{}, Bytes(good.begin(), good.begin() + 30), wrongMagic,
                             dataPastEnd, unknownFormat, zeroChannels})
    {
        WavData wav;
        std::string error;
        EXPECT_FALSE(WavReader::read(bad, wav, error));
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
