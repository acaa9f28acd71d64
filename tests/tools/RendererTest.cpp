// The host behaviour of the renderer, observed by an in-process plug-in: call order, event
// offsets, time information, channel routing, levels and the tail.
#include "tools/render/Renderer.h"
#include "tests/tools/FakePlugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace
{

class RendererTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        instances.clear();
        FakePlugin::clear();
    }

    PluginInstance& open(const FakePlugin::Config& config, double rate = 44100.0, int block = 512)
    {
        FakePlugin::nextConfig = config;
        instances.push_back(std::make_unique<PluginInstance>());
        std::string error;
        EXPECT_TRUE(instances.back()->open(FakePlugin::entry, rate, block, error)) << error;
        return *instances.back();
    }

    static FakePlugin::Plugin& fake(PluginInstance& instance)
    {
        return *FakePlugin::of(instance.effect());
    }

    // 480 ticks per quarter at 120 BPM: one tick is 1/960 s.
    static MidiSong song(std::vector<SongEvent> events)
    {
        MidiSong result;
        result.tempo = TempoMap(480);
        result.events = std::move(events);
        return result;
    }

    RenderResult run(const MidiSong& s, std::vector<RenderPart> parts, RenderSettings settings,
                     std::vector<float>* left = nullptr, std::vector<float>* right = nullptr)
    {
        RenderResult result;
        std::string error;
        const bool ok = Renderer::render(
            s, parts, settings,
            [&](const float* const* channels, int frames, std::string&)
            {
                if (left != nullptr)
                {
                    left->insert(left->end(), channels[0], channels[0] + frames);
                    right->insert(right->end(), channels[1], channels[1] + frames);
                }
                return true;
            },
            nullptr, result, error);
        EXPECT_TRUE(ok) << error;
        return result;
    }

    std::vector<std::unique_ptr<PluginInstance>> instances;
};

RenderSettings fixedTail(double seconds, int block = 512, double rate = 44100.0)
{
    RenderSettings settings;
    settings.sampleRate = rate;
    settings.blockSize = block;
    settings.autoTail = false;
    settings.tailSeconds = seconds;
    return settings;
}

TEST_F(RendererTest, DrivesTheLifeCycleInTheOrderHostsUse)
{
    PluginInstance& instance = open({});
    run(song({{0, 0x90, 60, 100}, {480, 0x80, 60, 0}}), {{&instance, 0xFFFF}}, fixedTail(0.1));
    const FakePlugin::Plugin& p = fake(instance); // the instance forgets it on close
    instance.close();
    const std::vector<VstInt32>& calls = p.opcodes;
    const std::vector<VstInt32> opening = {effOpen, effSetSampleRate, effSetBlockSize,
                                           effMainsChanged, effStartProcess};
    ASSERT_GE(calls.size(), opening.size() + 4);
    EXPECT_TRUE(std::equal(opening.begin(), opening.end(), calls.begin()));
    const std::vector<VstInt32> closing = {effStopProcess, effMainsChanged, effClose};
    EXPECT_TRUE(std::equal(closing.begin(), closing.end(), calls.end() - 3));
    EXPECT_EQ(p.sampleRate, 44100.0);
    EXPECT_EQ(p.blockSize, 512);
    EXPECT_TRUE(p.closed);
}

TEST_F(RendererTest, DeliversEventsAtTheirExactFramesInEveryBlockSize)
{
    // Ticks at 1/960 s: frames 0, 45.9375 -> 46, 441, 511 (the last frame of block 0 at 512),
    // 512, 44100 (one second), and two events in one frame.
    const std::vector<std::uint64_t> ticks = {0, 1, 10, 11, 12, 960, 960};
    std::vector<SongEvent> events;
    for (std::size_t i = 0; i < ticks.size(); ++i)
    {
        events.push_back({ticks[i], 0x90, static_cast<std::uint8_t>(60 + i), 100});
    }
    const MidiSong s = song(events);
    for (int block : {1, 64, 512, 8192})
    {
        for (double rate : {44100.0, 48000.0})
        {
            PluginInstance& instance = open({}, rate, block);
            run(s, {{&instance, 0xFFFF}}, fixedTail(0.0, block, rate));
            const FakePlugin::Plugin& p = fake(instance);
            ASSERT_EQ(p.events.size(), events.size()) << "block " << block;
            for (std::size_t i = 0; i < events.size(); ++i)
            {
                const auto expected = static_cast<long long>(
                    std::llround(static_cast<double>(ticks[i]) / 960.0 * rate));
                EXPECT_EQ(p.events[i].frame, expected) << "block " << block << " event " << i;
                EXPECT_GE(p.events[i].deltaFrames, 0);
                EXPECT_LT(p.events[i].deltaFrames, block);
                EXPECT_EQ(p.events[i].data1, 60 + i); // song order kept
            }
            // effProcessEvents only for blocks that have events; no block larger than set.
            for (int count : p.eventBlockCounts)
            {
                EXPECT_GT(count, 0);
            }
            for (int frames : p.blockSizes)
            {
                EXPECT_LE(frames, block);
                EXPECT_GE(frames, 1);
            }
            // The song ends with the frame of the last event: one second plus one frame.
            long long total = 0;
            for (int frames : p.blockSizes)
            {
                total += frames;
            }
            EXPECT_EQ(total, static_cast<long long>(rate) + 1);
        }
    }
}

TEST_F(RendererTest, AnswersTheTimeOncePerBlockFromTheTempoMap)
{
    // 120 BPM for two quarters (1 s), then 60 BPM.
    MidiSong s = song({{0, 0x90, 60, 100}, {1440, 0x80, 60, 0}});
    s.tempo.addTempo(960, 1000000);
    PluginInstance& instance = open({});
    run(s, {{&instance, 0xFFFF}}, fixedTail(0.0, 441));
    const FakePlugin::Plugin& p = fake(instance);
    ASSERT_EQ(p.times.size(), p.blockSizes.size());
    for (std::size_t i = 0; i < p.times.size(); ++i)
    {
        const VstTimeInfo& t = p.times[i].info;
        const double seconds = static_cast<double>(p.times[i].blockStart) / 44100.0;
        const double quarters = seconds <= 1.0 ? seconds * 2.0 : 2.0 + (seconds - 1.0);
        EXPECT_EQ(t.samplePos, static_cast<double>(p.times[i].blockStart));
        EXPECT_NEAR(t.ppqPos, quarters, 1e-9) << "block " << i;
        EXPECT_DOUBLE_EQ(t.tempo, seconds < 1.0 ? 120.0 : 60.0) << "block " << i;
        EXPECT_EQ(t.sampleRate, 44100.0);
        const VstInt32 wanted = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid;
        EXPECT_EQ(t.flags & wanted, wanted);
        EXPECT_EQ((t.flags & kVstTransportChanged) != 0, i == 0);
    }
    // The song lasts 1 s at 120 BPM plus 1 s for the last quarter at 60 BPM.
    EXPECT_EQ(p.processed, 2 * 44100 + 1);
}

TEST_F(RendererTest, RoutesChannelsToTheirOwnInstancesAndMixesThem)
{
    PluginInstance& main = open({});
    PluginInstance& second = open({});
    FakePlugin::Config mono;
    mono.numOutputs = 1;
    mono.level = 0.125f;
    PluginInstance& third = open(mono);
    const MidiSong s = song({{0, 0x90, 60, 100},
                             {0, 0x91, 62, 100},
                             {0, 0x92, 64, 100},
                             {0, 0x99, 36, 100},
                             {10, 0x81, 62, 0}});
    std::vector<float> left;
    std::vector<float> right;
    RenderSettings settings = fixedTail(0.0);
    settings.gain = 0.5f;
    const RenderResult result =
        run(s, {{&main, static_cast<std::uint16_t>(0xFFFF & ~0x6)}, {&second, 0x2}, {&third, 0x4}},
            settings, &left, &right);
    auto statuses = [](const PluginInstance& instance)
    {
        std::vector<int> out;
        for (const auto& e : FakePlugin::of(instance.effect())->events)
        {
            out.push_back(e.status);
        }
        return out;
    };
    EXPECT_EQ(statuses(main), (std::vector<int>{0x90, 0x99}));
    EXPECT_EQ(statuses(second), (std::vector<int>{0x91, 0x81}));
    EXPECT_EQ(statuses(third), (std::vector<int>{0x92}));
    // Two stereo instances give 0.5 left and 0.25 right each; the mono one adds 0.125 to both;
    // the mix gain halves the sum.
    ASSERT_FALSE(left.empty());
    EXPECT_FLOAT_EQ(left[0], 0.5625f);
    EXPECT_FLOAT_EQ(right[0], 0.3125f);
    EXPECT_NEAR(result.peak[0], 0.5625, 1e-6);
    EXPECT_NEAR(result.rms[1], 0.3125, 1e-6);
}

TEST_F(RendererTest, ProgramChangesActAtTheirFrameOnTheInstanceOfTheirChannel)
{
    FakePlugin::Config large;
    large.numPrograms = 300; // more than 128: bank select counts
    PluginInstance& main = open(large);
    PluginInstance& second = open({}); // 3 programs
    const MidiSong s = song({{0, 0x90, 60, 100},
                             {0, 0x91, 60, 100},
                             {10, 0xC0, 2, 0},
                             {12, 0x90, 62, 100},
                             {15, 0xC1, 1, 0},
                             {16, 0x91, 62, 100},
                             {20, 0xB0, 32, 1},
                             {20, 0xC0, 5, 0},
                             {22, 0x90, 64, 100},
                             {30, 0xC1, 7, 0}});
    auto frameOf = [&s](std::size_t i)
    { return static_cast<long long>(Renderer::eventFrame(s, s.events[i], 44100.0)); };
    for (const bool apply : {true, false})
    {
        for (PluginInstance* instance : {&main, &second})
        {
            fake(*instance).programSets.clear();
            fake(*instance).program = 0;
        }
        RenderSettings settings = fixedTail(0.0, 4096);
        settings.programChanges = apply;
        const RenderResult result =
            run(s, {{&main, static_cast<std::uint16_t>(0xFFFF & ~0x2)}, {&second, 0x2}}, settings);
        using Sets = std::vector<std::pair<long long, int>>;
        EXPECT_EQ(fake(main).programSets,
                  apply ? (Sets{{frameOf(2), 2}, {frameOf(7), 133}}) : Sets{});
        EXPECT_EQ(fake(second).programSets, apply ? (Sets{{frameOf(4), 1}}) : Sets{});
        EXPECT_EQ(result.programsUsed[0],
                  apply ? (std::vector<int>{0, 2, 133}) : std::vector<int>{0});
        EXPECT_EQ(result.programsUsed[1], apply ? (std::vector<int>{0, 1}) : std::vector<int>{0});
        EXPECT_EQ(result.unknownPrograms, apply ? 1u : 0u); // program 7 of three
        for (const auto& event : fake(main).events)
        {
            EXPECT_NE(event.status & 0xF0, 0xC0) << "program changes are not passed on";
        }
    }
}

TEST_F(RendererTest, AutomaticTailEndsWhereTheOutputFallsBelowMinus90Db)
{
    FakePlugin::Config config;
    config.signal = FakePlugin::Signal::NoteDecay;
    config.level = 1.0f;
    config.decayPerFrame = 0.999f; // -90 dB after ln(3.16e-5)/ln(0.999) = 10356 frames
    PluginInstance& instance = open(config);
    RenderSettings settings;
    std::vector<float> left;
    std::vector<float> right;
    const RenderResult result = run(song({{0, 0x90, 60, 100}, {96, 0x80, 60, 0}}),
                                    {{&instance, 0xFFFF}}, settings, &left, &right);
    const double expectedEnd = std::log(Renderer::kSilenceLevel) / std::log(0.999);
    EXPECT_NEAR(static_cast<double>(result.frames), expectedEnd, 2.0);
    // The sink never saw the quiet end: nothing written has to be cut again.
    EXPECT_EQ(left.size(), result.frames);
    EXPECT_GE(std::fabs(left.back()), Renderer::kSilenceLevel);
    EXPECT_FALSE(result.cutWhileSounding);
    EXPECT_EQ(result.songFrames, 4411u);
    // It rendered on until two seconds of quiet had passed, and cut them off.
    EXPECT_GE(fake(instance).processed, static_cast<long long>(expectedEnd) + 88200);
    EXPECT_LT(fake(instance).processed, static_cast<long long>(expectedEnd) + 88200 + 512);
}

TEST_F(RendererTest, AutomaticTailNeverCutsTheSongAndStopsAtItsMaximum)
{
    FakePlugin::Config quiet;
    quiet.signal = FakePlugin::Signal::Silence;
    PluginInstance& silent = open(quiet);
    RenderSettings settings;
    const RenderResult silentResult =
        run(song({{0, 0x90, 60, 100}, {960, 0x80, 60, 0}}), {{&silent, 0xFFFF}}, settings);
    EXPECT_EQ(silentResult.frames, 44101u); // the song's second, though all of it is silent

    PluginInstance& droning = open({}); // constant output: never falls silent
    settings.maxTailSeconds = 0.5;
    const RenderResult droneResult =
        run(song({{0, 0x90, 60, 100}, {960, 0x80, 60, 0}}), {{&droning, 0xFFFF}}, settings);
    EXPECT_EQ(droneResult.frames, 44101u + 22050u);
    EXPECT_TRUE(droneResult.cutWhileSounding);
    EXPECT_NEAR(droneResult.endPeak, 0.5, 1e-6);
}

TEST_F(RendererTest, FixedTailRendersExactlyItsLength)
{
    PluginInstance& instance = open({});
    const RenderResult result = run(song({{0, 0x90, 60, 100}, {960, 0x80, 60, 0}}),
                                    {{&instance, 0xFFFF}}, fixedTail(1.5, 300));
    EXPECT_EQ(result.frames, 44101u + 66150u);
    EXPECT_EQ(fake(instance).processed, 44101 + 66150);
}

TEST_F(RendererTest, CountsNonFiniteOutputAndMixesItAsZero)
{
    FakePlugin::Config config;
    config.signal = FakePlugin::Signal::NotANumber;
    config.level = 1.0f;
    PluginInstance& instance = open(config);
    std::vector<float> left;
    std::vector<float> right;
    const RenderResult result = run(song({{100, 0x90, 60, 100}, {200, 0x80, 60, 0}}),
                                    {{&instance, 0xFFFF}}, fixedTail(0.0), &left, &right);
    EXPECT_GT(result.nonFiniteSamples, 0u);
    for (float x : left)
    {
        EXPECT_EQ(x, 0.0f);
    }
    EXPECT_EQ(result.peak[0], 0.0);
}

class PluginInstanceTest : public RendererTest
{
};

TEST_F(PluginInstanceTest, TellsInstrumentsFromEffects)
{
    EXPECT_TRUE(open({}).isInstrument());
    FakePlugin::Config effect;
    effect.isSynth = false;
    EXPECT_FALSE(open(effect).isInstrument());
}

TEST_F(PluginInstanceTest, RefusesImpossibleDescriptors)
{
    FakePlugin::nextConfig = FakePlugin::Config{};
    FakePlugin::nextConfig.numOutputs = 100000;
    PluginInstance instance;
    std::string error;
    EXPECT_FALSE(instance.open(FakePlugin::entry, 44100.0, 512, error));
    EXPECT_NE(error.find("impossible"), std::string::npos);
    EXPECT_FALSE(instance.open(nullptr, 44100.0, 512, error));
}

TEST_F(PluginInstanceTest, FindsProgramsAndParametersByNumberOrName)
{
    PluginInstance& instance = open({});
    int index = -1;
    std::string error;
    EXPECT_TRUE(instance.findProgram("2", index, error));
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(instance.findProgram("program 1", index, error)); // case ignored
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(instance.findProgram("3", index, error));
    EXPECT_FALSE(instance.findProgram("Missing", index, error));
    EXPECT_TRUE(instance.findParam("Cutoff", index, error));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(instance.findParam("3", index, error));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(instance.findParam("4", index, error));
    EXPECT_FALSE(instance.findParam("Resonance", index, error));
}

TEST_F(PluginInstanceTest, SavedBanksAndProgramsLoadBackIntoAFreshInstance)
{
    for (bool chunks : {false, true})
    {
        FakePlugin::Config config;
        config.usesChunks = chunks;
        PluginInstance& source = open(config);
        for (int program = 0; program < 3; ++program)
        {
            source.setProgram(program);
            source.setParam(0, 0.1f * static_cast<float>(program + 1));
            source.setProgramName("Saved " + std::to_string(program));
        }
        source.setProgram(2);
        std::string error;
        FxBank bank;
        ASSERT_TRUE(source.saveBank(false, bank, error)) << error;
        EXPECT_EQ(bank.isChunk, chunks);
        EXPECT_EQ(bank.currentProgram, 2);
        FxProgram program;
        ASSERT_TRUE(source.saveProgram(false, program, error)) << error;

        PluginInstance& target = open(config);
        ASSERT_TRUE(target.loadBank(bank, error)) << error;
        EXPECT_EQ(target.currentProgram(), 2);
        ASSERT_TRUE(target.loadProgram(program, error)) << error;
        EXPECT_FLOAT_EQ(target.param(0), 0.3f);
        target.setProgram(1);
        EXPECT_FLOAT_EQ(target.param(0), 0.2f) << (chunks ? "chunks" : "parameter lists");
        if (chunks)
        {
            EXPECT_EQ(fake(target).loadedChunk.front(), 0xAA); // the program chunk came last
        }
        else
        {
            EXPECT_EQ(target.programName(0), "Saved 0");
        }
    }
}

TEST_F(PluginInstanceTest, RefusesPresetsOfAnotherPluginOrShape)
{
    PluginInstance& instance = open({});
    std::string error;
    FxProgram program;
    ASSERT_TRUE(instance.saveProgram(false, program, error));

    FxProgram otherId = program;
    otherId.fxID = 1234;
    EXPECT_FALSE(instance.loadProgram(otherId, error));
    FxProgram shortList = program;
    shortList.numParams = 2;
    shortList.params.resize(2);
    EXPECT_FALSE(instance.loadProgram(shortList, error));
    FxProgram chunk = program;
    chunk.isChunk = true;
    chunk.chunk = {1, 2, 3};
    EXPECT_FALSE(instance.loadProgram(chunk, error)); // this plug-in takes no chunks

    FxBank bank;
    ASSERT_TRUE(instance.saveBank(false, bank, error));
    FxBank tooMany = bank;
    tooMany.numPrograms = 4;
    tooMany.programs.push_back(program);
    EXPECT_FALSE(instance.loadBank(tooMany, error));
}

} // namespace
