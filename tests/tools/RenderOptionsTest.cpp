// The option parser: defaults, forms of values, and a message for every bad command line.
#include "tools/render/RenderOptions.h"

#include <gtest/gtest.h>

namespace
{

RenderOptions parsed(const std::vector<std::string>& args)
{
    RenderOptions options;
    std::string error;
    EXPECT_TRUE(RenderOptions::parse(args, options, error)) << error;
    return options;
}

TEST(RenderOptionsTest, DefaultsAndDerivedOutputName)
{
    const RenderOptions options = parsed({"songs/demo.mid"});
    EXPECT_EQ(options.midiFile, "songs/demo.mid");
    EXPECT_EQ(options.output, "songs/demo.wav");
    EXPECT_EQ(options.sampleRate, 44100.0);
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.format, WavFormat::Pcm24);
    EXPECT_TRUE(options.autoTail);
    EXPECT_EQ(options.maxTailSeconds, 30.0);
    EXPECT_TRUE(options.plugin.empty());
    EXPECT_EQ(parsed({"--notes", "C4"}).output, "out.wav");
    EXPECT_EQ(parsed({"dir.v2/song"}).output, "dir.v2/song.wav");
    // The rates hosts offer, up to 768000 Hz.
    EXPECT_EQ(parsed({"a.mid", "--rate", "768000"}).sampleRate, 768000.0);
}

TEST(RenderOptionsTest, TakesValuesSeparateOrAfterEquals)
{
    const RenderOptions options = parsed({"a.mid",
                                          "--rate=48000",
                                          "--block",
                                          "64",
                                          "--format",
                                          "float",
                                          "-o",
                                          "x.wav",
                                          "--tail=2.5",
                                          "--param",
                                          "Cutoff=0.25",
                                          "--param=7=1",
                                          "--channel-map",
                                          "1=3,10=Drum Kit",
                                          "--channel-map=2=0",
                                          "-p",
                                          "synth.so",
                                          "--program",
                                          "Bass",
                                          "--save-as-params",
                                          "-q"});
    EXPECT_EQ(options.sampleRate, 48000.0);
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.format, WavFormat::Float32);
    EXPECT_EQ(options.output, "x.wav");
    EXPECT_FALSE(options.autoTail);
    EXPECT_EQ(options.tailSeconds, 2.5);
    ASSERT_EQ(options.params.size(), 2u);
    EXPECT_EQ(options.params[0].name, "Cutoff");
    EXPECT_EQ(options.params[0].value, 0.25f);
    EXPECT_EQ(options.params[1].name, "7");
    ASSERT_EQ(options.channelMap.size(), 3u);
    EXPECT_EQ(options.channelMap[1].channel, 9);
    EXPECT_EQ(options.channelMap[1].program, "Drum Kit");
    EXPECT_EQ(options.channelMap[2].channel, 1);
    EXPECT_EQ(options.plugin, "synth.so");
    EXPECT_EQ(options.program, "Bass");
    EXPECT_TRUE(options.saveAsParams);
    EXPECT_TRUE(options.quiet);
    EXPECT_FALSE(parsed({"--list-params"}).rendersAudio());
}

TEST(RenderOptionsTest, RefusesBadCommandLinesWithAMessage)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--bogus", "a.mid"},
        {"-x", "a.mid"},
        {"a.mid", "b.mid"},
        {"a.mid", "--notes", "C4"},
        {"a.mid", "--tempo", "100"},
        {"--notes", "C4", "--tempo", "0"},
        {"a.mid", "--rate"},
        {"a.mid", "--rate", "44k"},
        {"a.mid", "--rate", "100"},
        {"a.mid", "--rate", "nan"},
        {"a.mid", "--rate", "inf"},
        {"a.mid", "--rate", "768001"},
        {"a.mid", "--rate", "44100.9"},
        {"a.mid", "-o", "out.flac"},
        {"a.mid", "-o", "dir.wav/out.mp3"},
        {"a.mid", "--normalize", "1"},
        {"a.mid", "--normalize", "--gain", "-3"},
        {"--list-params", "--json"},
        {"a.mid", "--block", "0"},
        {"a.mid", "--block", "9000"},
        {"a.mid", "--block", "12.5"},
        {"a.mid", "--format", "mp3"},
        {"a.mid", "--gain", "30"},
        {"a.mid", "--tail", "forever"},
        {"a.mid", "--tail", "-1"},
        {"a.mid", "--tail", "2", "--max-tail", "5"},
        {"a.mid", "--param", "Cutoff"},
        {"a.mid", "--param", "=0.5"},
        {"a.mid", "--param", "Cutoff=1.5"},
        {"a.mid", "--param", "Cutoff=x"},
        {"a.mid", "--channel-map", "17=1"},
        {"a.mid", "--channel-map", "0=1"},
        {"a.mid", "--channel-map", "1=2,1=3"},
        {"a.mid", "--channel-map", "1"},
        {"a.mid", "--channel-map", "1=2,"},
        {"a.mid", "--output", "a.mid"},
        {"a.mid", "-o", "x.wav", "-o", "y.wav"},
        {"a.mid", "--output="},
        {"a.mid", "--quiet=yes"},
        {"--list-params", "-o", "x.wav"},
        {"--save-fxb", "x.fxb", "--channel-map", "1=2"},
    };
    for (const auto& args : bad)
    {
        RenderOptions options;
        std::string error;
        std::string line;
        for (const auto& arg : args)
        {
            line += arg + " ";
        }
        EXPECT_FALSE(RenderOptions::parse(args, options, error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

TEST(RenderOptionsTest, NormalizeTakesAnOptionalLevelAndOutputsMayBeWavOrAStream)
{
    EXPECT_EQ(parsed({"a.mid", "--normalize"}).normalizeDbfs, -1.0);
    EXPECT_EQ(parsed({"--normalize", "a.mid"}).midiFile, "a.mid");
    EXPECT_EQ(parsed({"a.mid", "--normalize", "-3.5"}).normalizeDbfs, -3.5);
    EXPECT_EQ(parsed({"a.mid", "--normalize=-6"}).normalizeDbfs, -6.0);
    EXPECT_TRUE(parsed({"a.mid", "--normalize", "-q"}).quiet);
    for (const char* output : {"-", "x.WAV", "x.wave", "noextension", "dir.d/take", ".hidden"})
    {
        EXPECT_EQ(parsed({"a.mid", "-o", output}).output, output);
    }
}

TEST(RenderOptionsTest, HelpNeedsNothingElse)
{
    EXPECT_TRUE(parsed({"--help"}).help);
    EXPECT_TRUE(parsed({"--version"}).version);
}

} // namespace
