// The MIDI file reader: running status, tempo maps, track merging, SMPTE timing, damaged files.
#include "tools/render/SmfReader.h"
#include "tools/render/NoteList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

void append32(Bytes& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

Bytes header(int format, int tracks, int division)
{
    Bytes out = {'M', 'T', 'h', 'd'};
    append32(out, 6);
    out.push_back(static_cast<std::uint8_t>(format >> 8));
    out.push_back(static_cast<std::uint8_t>(format));
    out.push_back(static_cast<std::uint8_t>(tracks >> 8));
    out.push_back(static_cast<std::uint8_t>(tracks));
    out.push_back(static_cast<std::uint8_t>(division >> 8));
    out.push_back(static_cast<std::uint8_t>(division));
    return out;
}

// A track chunk around the event bytes given (delta times included).
Bytes track(const Bytes& events)
{
    Bytes out = {'M', 'T', 'r', 'k'};
    append32(out, static_cast<std::uint32_t>(events.size()));
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
    {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

Bytes withEnd(Bytes events)
{
    events.insert(events.end(), kEndOfTrack.begin(), kEndOfTrack.end());
    return events;
}

struct Expected
{
    std::uint64_t tick;
    int status, data1, data2;
};

void expectEvents(const MidiSong& song, const std::vector<Expected>& expected)
{
    ASSERT_EQ(song.events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(song.events[i].tick, expected[i].tick) << "event " << i;
        EXPECT_EQ(song.events[i].status, expected[i].status) << "event " << i;
        EXPECT_EQ(song.events[i].data1, expected[i].data1) << "event " << i;
        EXPECT_EQ(song.events[i].data2, expected[i].data2) << "event " << i;
    }
}

TEST(SmfReaderTest, ReadsRunningStatusAcrossSkippedMetaAndSysex)
{
    const Bytes events = withEnd({
        0x00, 0x90, 60,   100,                   // note on
        0x60, 64,   90,                          // running status: another note on, delta 96
        0x00, 0xFF, 0x01, 0x03, 'a',  'b',  'c', // text meta, skipped
        0x10, 60,   0,                           // running status survives the meta event
        0x00, 0xF0, 0x03, 0x7E, 0x01, 0xF7,      // system exclusive, skipped
        0x81, 0x00, 0xC2, 5,                     // delta 128, program change: one data byte
        0x00, 0xE3, 0x00, 0x40,                  // pitch bend on channel 4
        0x00, 0xD3, 0x7F,                        // channel pressure
    });
    MidiSong song;
    std::string error;
    ASSERT_TRUE(SmfReader::read(join({header(0, 1, 96), track(events)}), song, error)) << error;
    expectEvents(song, {{0, 0x90, 60, 100},
                        {96, 0x90, 64, 90},
                        {112, 0x90, 60, 0},
                        {240, 0xC2, 5, 0},
                        {240, 0xE3, 0, 0x40},
                        {240, 0xD3, 0x7F, 0}});
    EXPECT_EQ(song.events[3].channel(), 2);
}

TEST(SmfReaderTest, AppliesTempoChangesToTimeAndSongPosition)
{
    // 480 ticks per quarter; 120 BPM from the start, 60 BPM from tick 960, 240 BPM from 1440.
    const Bytes conductor = withEnd({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,         // 500000
                                     0x87, 0x40, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,   // 1000000
                                     0x83, 0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}); // 250000
    const Bytes notes = withEnd({0x00, 0x90, 60, 100, 0x8B, 0x20, 0x80, 60, 0});       // 1440
    MidiSong song;
    std::string error;
    ASSERT_TRUE(
        SmfReader::read(join({header(1, 2, 480), track(conductor), track(notes)}), song, error))
        << error;
    const TempoMap& tempo = song.tempo;
    EXPECT_DOUBLE_EQ(tempo.secondsAt(480), 0.5);
    EXPECT_DOUBLE_EQ(tempo.secondsAt(960), 1.0);
    EXPECT_DOUBLE_EQ(tempo.secondsAt(1440), 2.0);
    EXPECT_DOUBLE_EQ(tempo.secondsAt(1920), 2.25);
    EXPECT_DOUBLE_EQ(tempo.tempoAtSeconds(0.99), 120.0);
    EXPECT_DOUBLE_EQ(tempo.tempoAtSeconds(1.5), 60.0);
    EXPECT_DOUBLE_EQ(tempo.tempoAtSeconds(3.0), 240.0);
    EXPECT_DOUBLE_EQ(tempo.quartersAtSeconds(1.5), 2.5);
    EXPECT_DOUBLE_EQ(tempo.quartersAtSeconds(2.25), 4.0);
    expectEvents(song, {{0, 0x90, 60, 100}, {1440, 0x80, 60, 0}});
}

TEST(SmfReaderTest, MergesFormatOneTracksInTimeAndTrackOrder)
{
    const Bytes first = withEnd({0x00, 0x90, 60, 100, 0x64, 0x80, 60, 0});       // 0, 100
    const Bytes second = withEnd({0x32, 0x91, 62, 100, 0x32, 0x81, 62, 0});      // 50, 100
    const Bytes third = withEnd({0x00, 0x92, 64, 100, 0x81, 0x48, 0x82, 64, 0}); // 0, 200
    const Bytes alien = {'X', 'Y', 'Z', 'W', 0, 0, 0, 2, 0xAB, 0xCD};            // skipped
    MidiSong song;
    std::string error;
    ASSERT_TRUE(SmfReader::read(
        join({header(1, 3, 96), track(first), alien, track(second), track(third)}), song, error))
        << error;
    expectEvents(song, {{0, 0x90, 60, 100},
                        {0, 0x92, 64, 100},
                        {50, 0x91, 62, 100},
                        {100, 0x80, 60, 0},
                        {100, 0x81, 62, 0},
                        {200, 0x82, 64, 0}});
}

TEST(SmfReaderTest, TimesSmpteDivisionsInFramesPerSecond)
{
    // 25 frames per second (high byte -25 = 0xE7), 40 ticks per frame: 1000 ticks a second.
    const Bytes notes = withEnd({0x00, 0x90, 60, 100, 0x83, 0x74, 0x80, 60, 0}); // tick 500
    MidiSong song;
    std::string error;
    ASSERT_TRUE(SmfReader::read(join({header(0, 1, 0xE728), track(notes)}), song, error)) << error;
    EXPECT_TRUE(song.tempo.isSmpte());
    EXPECT_DOUBLE_EQ(song.tempo.secondsAt(song.events[1].tick), 0.5);
    EXPECT_DOUBLE_EQ(song.tempo.quartersAtSeconds(0.5), 1.0); // 120 BPM by default
}

TEST(SmfReaderTest, AcceptsATrackWithoutEndOfTrackThatEndsOnAnEvent)
{
    MidiSong song;
    std::string error;
    ASSERT_TRUE(
        SmfReader::read(join({header(0, 1, 96), track({0x00, 0x90, 60, 100})}), song, error))
        << error;
    EXPECT_EQ(song.events.size(), 1u);
}

TEST(SmfReaderTest, RefusesDamagedFilesWithAMessage)
{
    const Bytes good = withEnd({0x00, 0x90, 60, 100});
    const struct
    {
        const char* what;
        Bytes file;
    } cases[] = {
        {"empty", {}},
        {"wrong magic",
         join({Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, track(good)})},
        {"short header", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}},
        {"header length past the end",
         join({Bytes{'M', 'T', 'h', 'd', 0x7F, 0xFF, 0xFF, 0xFF}, Bytes(10)})},
        {"format 2", join({header(2, 1, 96), track(good)})},
        {"no tracks", header(1, 0, 96)},
        {"zero division", join({header(0, 1, 0), track(good)})},
        {"fewer tracks than declared", join({header(1, 2, 96), track(good)})},
        {"chunk length past the end",
         join({header(0, 1, 96), Bytes{'M', 'T', 'r', 'k', 0x7F, 0xFF, 0xFF, 0xFF, 0x00}})},
        {"event cut short", join({header(0, 1, 96), track({0x00, 0x90, 60})})},
        {"data byte without status", join({header(0, 1, 96), track({0x00, 60, 100})})},
        {"data byte above 127", join({header(0, 1, 96), track({0x00, 0x90, 60, 0x90, 0x00})})},
        {"delta time of five bytes",
         join({header(0, 1, 96), track({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100})})},
        {"meta length past the end",
         join({header(0, 1, 96), track({0x00, 0xFF, 0x01, 0x7F, 'a'})})},
        {"sysex length past the end",
         join({header(0, 1, 96), track({0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0x7F})})},
        {"tempo of two bytes",
         join({header(0, 1, 96), track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1})})},
        {"tempo of zero", join({header(0, 1, 96), track({0x00, 0xFF, 0x51, 0x03, 0, 0, 0})})},
        {"system common status", join({header(0, 1, 96), track({0x00, 0xF2, 0x00, 0x00})})},
    };
    for (const auto& c : cases)
    {
        MidiSong song;
        song.events.push_back({7, 0x90, 1, 1});
        std::string error;
        EXPECT_FALSE(SmfReader::read(c.file, song, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(song.events.size(), 1u) << c.what << ": the song must stay untouched";
    }
}

TEST(SmfReaderTest, EveryTruncationAndRandomDamageIsHandled)
{
    const Bytes conductor = withEnd({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    const Bytes notes = withEnd({0x00, 0x90, 60, 100, 0x60, 64, 90, 0x00, 0xF0, 0x01, 0xF7, 0x81,
                                 0x00, 0x80, 60, 0, 0x00, 64, 0});
    const Bytes file = join({header(1, 2, 96), track(conductor), track(notes)});
    MidiSong song;
    std::string error;
    ASSERT_TRUE(SmfReader::read(file, song, error)) << error;
    for (std::size_t length = 0; length < file.size(); ++length)
    {
        const Bytes cut(file.begin(), file.begin() + static_cast<long>(length));
        EXPECT_FALSE(SmfReader::read(cut, song, error)) << "cut at " << length;
    }
    // Random damage must never crash or loop; whatever is accepted is well-formed.
    std::mt19937 random(20240611u);
    for (int trial = 0; trial < 2000; ++trial)
    {
        Bytes damaged = file;
        for (int flips = 0; flips < 3; ++flips)
        {
            damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        }
        MidiSong result;
        if (SmfReader::read(damaged, result, error))
        {
            for (const SongEvent& event : result.events)
            {
                EXPECT_GE(event.status, 0x80);
                EXPECT_LT(event.status, 0xF0);
                EXPECT_LT(event.data1, 0x80);
                EXPECT_LT(event.data2, 0x80);
            }
        }
    }
}

TEST(SmfReaderTest, ReportsAMissingFile)
{
    MidiSong song;
    std::string error;
    EXPECT_FALSE(SmfReader::readFile("/nonexistent/song.mid", song, error));
    EXPECT_NE(error.find("/nonexistent/song.mid"), std::string::npos);
}

TEST(TempoMapTest, TakesChangesInAnyOrderAndReplacesOnesAtTheSameTick)
{
    TempoMap map(100);
    map.addTempo(200, 1000000); // 60 BPM from tick 200 (2 quarters = 1 s at 120 BPM)
    map.addTempo(0, 250000);    // 240 BPM from the start: tick 200 at 0.5 s
    map.addTempo(200, 2000000); // replaced: 30 BPM
    EXPECT_DOUBLE_EQ(map.secondsAt(200), 0.5);
    EXPECT_DOUBLE_EQ(map.secondsAt(300), 2.5);
    EXPECT_DOUBLE_EQ(map.tempoAtSeconds(1.0), 30.0);
    EXPECT_DOUBLE_EQ(map.quartersAtSeconds(0.25), 1.0);
}

TEST(NoteListTest, PlaysStepsChordsAndRestsInSequence)
{
    MidiSong song;
    std::string error;
    ASSERT_TRUE(NoteList::parse("C4+E4+G4:2 r:0.5 F#3@80, Bb-1 127", 60.0, song, error)) << error;
    // 60 BPM: one beat is one second. Steps at 0, 2 (rest), 2.5, 3.5 and 4.5 beats.
    expectEvents(song, {{0, 0x90, 60, 100},
                        {0, 0x90, 64, 100},
                        {0, 0x90, 67, 100},
                        {960, 0x80, 60, 64},
                        {960, 0x80, 64, 64},
                        {960, 0x80, 67, 64},
                        {1200, 0x90, 54, 80},
                        {1680, 0x80, 54, 64},
                        {1680, 0x90, 10, 100},
                        {2160, 0x80, 10, 64},
                        {2160, 0x90, 127, 100},
                        {2640, 0x80, 127, 64}});
    EXPECT_DOUBLE_EQ(song.tempo.secondsAt(2640), 5.5);
}

TEST(NoteListTest, RefusesWhatIsNotANoteList)
{
    for (const char* bad : {"", "   ", "H4", "C10", "128", "C4:0", "C4:-1", "C4:x", "C4@0",
                            "C4@128", "C4+", "Cb-1", "r@"})
    {
        MidiSong song;
        std::string error;
        EXPECT_FALSE(NoteList::parse(bad, 120.0, song, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    MidiSong song;
    std::string error;
    EXPECT_FALSE(NoteList::parse("C4", 0.0, song, error));
}

} // namespace
