// The MIDI-learn import from bank files: a file written from the plug-in's own bank, every
// refusal with its result, a file cut inside the table, and damaged files from a fixed seed.
#include "instrument/MidiLearnImport.h"

#include "instrument/TavrelSynth.h"
#include "sonarch/midi/MidiLearn.h"
#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/ChunkWriter.h"
#include "tools/render/FxPreset.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace
{

using Sonarch::Midi::MidiLearn;

constexpr VstInt32 kTavrelId = ('T' << 24) | ('v' << 16) | ('r' << 8) | 'l';

class MidiLearnImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        source = std::make_unique<TavrelSynth>();
        target = std::make_unique<TavrelSynth>();
        // Cutoff and resonance on controller 74, the master level on 7, mod wheel on 1.
        source->getMidiLearn()->map(36, 74);
        source->getMidiLearn()->map(37, 74);
        source->getMidiLearn()->map(96, 7);
        source->getMidiLearn()->map(3, 1);
    }

    // A .fxb of the chunk kind holding the source's bank chunk, as a host writes it.
    std::vector<std::uint8_t> bankFile()
    {
        Sonarch::Parameters::ChunkWriter writer(98948);
        source->getBank()->getBankChunk(writer);
        source->getMidiLearn()->write(writer);
        FxBank bank;
        bank.isChunk = true;
        bank.fxID = kTavrelId;
        bank.fxVersion = 1510;
        bank.numPrograms = 128;
        bank.chunk.assign(writer.getData(), writer.getData() + writer.getLength());
        return FxPreset::writeBank(bank);
    }

    std::vector<std::pair<int, int>> bindings(TavrelSynth& synth)
    {
        std::vector<std::pair<int, int>> all;
        MidiLearn& table = *synth.getMidiLearn();
        for (int controller = 0; controller < MidiLearn::kControllerCount; ++controller)
        {
            for (int i = 0; i < table.getBindingCount(controller); ++i)
            {
                all.emplace_back(controller, table.getBoundParameter(controller, i));
            }
        }
        return all;
    }

    MidiLearnImportResult import(const std::vector<std::uint8_t>& file)
    {
        return importMidiLearn(file.data(), file.size(), *target->getMidiLearn());
    }

    std::unique_ptr<TavrelSynth> source;
    std::unique_ptr<TavrelSynth> target;
};

TEST_F(MidiLearnImportTest, AFileFromThePluginsOwnBankBringsItsBindingsInOrder)
{
    target->getMidiLearn()->map(50, 20); // replaced by the import
    const std::vector<std::uint8_t> file = bankFile();
    ASSERT_EQ(file.size(), 160u + 98948u + 512u + 4u * 4u);

    EXPECT_EQ(import(file), MidiLearnImportResult::Success);
    EXPECT_EQ(bindings(*target), bindings(*source));
    EXPECT_EQ(target->getMidiLearn()->getController(37), 74);
    EXPECT_EQ(target->getMidiLearn()->getController(50), MidiLearn::kNone);
    // Only the bindings come in: the programs stay.
    EXPECT_STREQ(target->getBank()->getProgramName(0), source->getBank()->getProgramName(0));
}

TEST_F(MidiLearnImportTest, RefusedFilesLeaveTheBindingsAlone)
{
    target->getMidiLearn()->map(50, 20);
    const std::vector<std::pair<int, int>> before = bindings(*target);
    const std::vector<std::uint8_t> good = bankFile();

    std::vector<std::uint8_t> parameterBank = good;
    std::memcpy(parameterBank.data() + 8, "FxBk", 4);
    EXPECT_EQ(import(parameterBank), MidiLearnImportResult::NotChunkBank);

    std::vector<std::uint8_t> otherPlugin = good;
    std::memcpy(otherPlugin.data() + 16, "Abcd", 4);
    EXPECT_EQ(import(otherPlugin), MidiLearnImportResult::NotTavrelBank);

    // Version 1499, little-endian inside the chunk: older than the first bank with a table.
    std::vector<std::uint8_t> old = good;
    old[160] = 0xDB;
    old[161] = 0x05;
    old[162] = 0;
    old[163] = 0;
    EXPECT_EQ(import(old), MidiLearnImportResult::OldVersion);

    // Ending before the kind, the identifier, the version, and inside the bank image.
    for (std::size_t length : {0u, 11u, 19u, 163u, 160u + 98947u})
    {
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + length);
        EXPECT_EQ(import(cut), MidiLearnImportResult::ReadError) << length;
    }
    EXPECT_EQ(bindings(*target), before);

    EXPECT_EQ(importMidiLearn("/nonexistent/bank.fxb", *target->getMidiLearn()),
              MidiLearnImportResult::CannotOpen);
    EXPECT_STREQ(midiLearnImportMessage(MidiLearnImportResult::OldVersion),
                 "Wrong Tavrel bank version; must be v1.5 or greater.");
}

TEST_F(MidiLearnImportTest, AFileCutInsideTheTableKeepsWhatWasReadBeforeTheCut)
{
    const std::vector<std::uint8_t> good = bankFile();
    // The table: controllers 0..127, each a count and its indexes. Controller 1 (one binding)
    // comes before controller 7; cut in the middle of controller 7's index.
    const std::size_t table = 160 + 98948;
    const std::size_t controller7Index = table + 4 + (4 + 4) + 5 * 4 + 4;
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + controller7Index + 2);
    EXPECT_EQ(import(cut), MidiLearnImportResult::ReadError);
    EXPECT_EQ(bindings(*target), (std::vector<std::pair<int, int>>{{1, 3}}));
}

TEST_F(MidiLearnImportTest, AFileOnDiskIsReadLikeItsBytes)
{
    const std::vector<std::uint8_t> good = bankFile();
    const std::string path = ::testing::TempDir() + "tavrel-import.fxb";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(good.data(), 1, good.size(), file), good.size());
    std::fclose(file);
    EXPECT_EQ(importMidiLearn(path.c_str(), *target->getMidiLearn()),
              MidiLearnImportResult::Success);
    EXPECT_EQ(bindings(*target), bindings(*source));
    std::remove(path.c_str());
}

// Random damage to the header, the version and the table: every result is one of the six, only
// parameters that exist are ever bound, and a refusal before the table changes nothing.
TEST_F(MidiLearnImportTest, DamagedFilesNeverBindOutsideTheParameters)
{
    const unsigned seed = 20261208;
    std::printf("damage seed %u\n", seed);
    std::mt19937 random(seed);
    const std::vector<std::uint8_t> good = bankFile();
    const std::size_t table = 160 + 98948;
    const int parameterCount = target->getBank()->getParameterCount();
    for (int round = 0; round < 3000; ++round)
    {
        std::vector<std::uint8_t> file = good;
        const int damage = static_cast<int>(random() % 6);
        if (damage == 0)
        {
            file.resize(random() % file.size());
        }
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips && !file.empty(); ++i)
        {
            // Most flips land in the header and the table, where the reader looks.
            const std::size_t span = file.size() > table ? file.size() - table : file.size();
            const std::size_t at = random() % 2 == 0
                                       ? random() % std::min<std::size_t>(file.size(), 168)
                                       : file.size() - 1 - random() % span;
            file[at] = static_cast<std::uint8_t>(random());
        }
        target->getMidiLearn()->clearAll();
        target->getMidiLearn()->map(50, 20);
        const MidiLearnImportResult result = import(file);
        ASSERT_GE(static_cast<int>(result), 0);
        ASSERT_LE(static_cast<int>(result), 5);
        for (const auto& [controller, parameter] : bindings(*target))
        {
            ASSERT_GE(parameter, 0) << "round " << round;
            ASSERT_LT(parameter, parameterCount) << "round " << round;
            ASSERT_LT(controller, 128) << "round " << round;
        }
        if (result != MidiLearnImportResult::Success && result != MidiLearnImportResult::ReadError)
        {
            ASSERT_EQ(bindings(*target), (std::vector<std::pair<int, int>>{{20, 50}}))
                << "round " << round;
        }
    }
}

} // namespace
