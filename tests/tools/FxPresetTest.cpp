// Program and bank files: layouts built from the file format's offsets, round trips, damage.
#include "tools/render/FxPreset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace
{

using Bytes = std::vector<std::uint8_t>;

void be32(Bytes& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void beFloat(Bytes& out, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    be32(out, bits);
}

void text(Bytes& out, const char* value, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
    {
        out.push_back(i < std::strlen(value) ? static_cast<std::uint8_t>(value[i]) : 0);
    }
}

void patch32(Bytes& b, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

// A program of the parameter-list kind, byte by byte: magic, size, kind, version, ID,
// plug-in version, count, 28-byte name, then the values.
Bytes paramProgram(const char* name, std::vector<float> values)
{
    Bytes out;
    text(out, "CcnK", 4);
    be32(out, static_cast<std::uint32_t>(48 + 4 * values.size()));
    text(out, "FxCk", 4);
    be32(out, 1);
    be32(out, 0x54617672); // 'Tavr'
    be32(out, 1510);
    be32(out, static_cast<std::uint32_t>(values.size()));
    text(out, name, 28);
    for (float v : values)
    {
        beFloat(out, v);
    }
    return out;
}

Bytes chunkProgram(const Bytes& chunk)
{
    Bytes out;
    text(out, "CcnK", 4);
    be32(out, static_cast<std::uint32_t>(52 + chunk.size()));
    text(out, "FPCh", 4);
    be32(out, 1);
    be32(out, 0x54617672);
    be32(out, 1510);
    be32(out, 97);
    text(out, "Chunky", 28);
    be32(out, static_cast<std::uint32_t>(chunk.size()));
    out.insert(out.end(), chunk.begin(), chunk.end());
    return out;
}

Bytes bankHeader(const char* kind, std::uint32_t version, std::uint32_t programs,
                 std::uint32_t current, std::size_t bodySize)
{
    Bytes out;
    text(out, "CcnK", 4);
    be32(out, static_cast<std::uint32_t>(148 + bodySize));
    text(out, kind, 4);
    be32(out, version);
    be32(out, 0x54617672);
    be32(out, 1510);
    be32(out, programs);
    if (version >= 2)
    {
        be32(out, current);
    }
    out.resize(156, 0);
    return out;
}

TEST(FxPresetTest, ReadsAndWritesParameterPrograms)
{
    const Bytes file = paramProgram("Warm Pad", {0.0f, 0.5f, 1.0f});
    FxProgram program;
    std::string error;
    ASSERT_TRUE(FxPreset::readProgram(file.data(), file.size(), program, error)) << error;
    EXPECT_FALSE(program.isChunk);
    EXPECT_EQ(program.fxID, 0x54617672);
    EXPECT_EQ(program.fxVersion, 1510);
    EXPECT_EQ(program.name, "Warm Pad");
    EXPECT_EQ(program.params, (std::vector<float>{0.0f, 0.5f, 1.0f}));
    EXPECT_EQ(FxPreset::writeProgram(program), file);
}

TEST(FxPresetTest, ReadsAndWritesChunkPrograms)
{
    const Bytes chunk = {1, 2, 3, 4, 5, 0, 255};
    const Bytes file = chunkProgram(chunk);
    FxProgram program;
    std::string error;
    ASSERT_TRUE(FxPreset::readProgram(file.data(), file.size(), program, error)) << error;
    EXPECT_TRUE(program.isChunk);
    EXPECT_EQ(program.numParams, 97);
    EXPECT_EQ(program.chunk, chunk);
    EXPECT_EQ(FxPreset::writeProgram(program), file);
}

TEST(FxPresetTest, ReadsAndWritesBanksOfBothKinds)
{
    const Bytes first = paramProgram("One", {0.1f, 0.2f});
    const Bytes second = paramProgram("Two", {0.3f, 0.4f});
    Bytes paramBank = bankHeader("FxBk", 2, 2, 1, first.size() + second.size());
    paramBank.insert(paramBank.end(), first.begin(), first.end());
    paramBank.insert(paramBank.end(), second.begin(), second.end());
    FxBank bank;
    std::string error;
    ASSERT_TRUE(FxPreset::readBank(paramBank, bank, error)) << error;
    EXPECT_FALSE(bank.isChunk);
    EXPECT_EQ(bank.numPrograms, 2);
    EXPECT_EQ(bank.currentProgram, 1);
    ASSERT_EQ(bank.programs.size(), 2u);
    EXPECT_EQ(bank.programs[1].name, "Two");
    EXPECT_EQ(bank.programs[1].params, (std::vector<float>{0.3f, 0.4f}));
    EXPECT_EQ(FxPreset::writeBank(bank), paramBank);

    const Bytes chunk(1000, 0x5A);
    Bytes chunkBank = bankHeader("FBCh", 2, 128, 5, 4 + chunk.size());
    be32(chunkBank, static_cast<std::uint32_t>(chunk.size()));
    chunkBank.insert(chunkBank.end(), chunk.begin(), chunk.end());
    ASSERT_TRUE(FxPreset::readBank(chunkBank, bank, error)) << error;
    EXPECT_TRUE(bank.isChunk);
    EXPECT_EQ(bank.numPrograms, 128);
    EXPECT_EQ(bank.currentProgram, 5);
    EXPECT_EQ(bank.chunk, chunk);
    EXPECT_EQ(FxPreset::writeBank(bank), chunkBank);

    // Version 1 has no current program: those bytes are reserved.
    Bytes versionOne = bankHeader("FBCh", 1, 3, 0, 8);
    patch32(versionOne, 28, 77);
    be32(versionOne, 4);
    be32(versionOne, 0xDEADBEEF);
    ASSERT_TRUE(FxPreset::readBank(versionOne, bank, error)) << error;
    EXPECT_EQ(bank.currentProgram, 0);
}

TEST(FxPresetTest, RefusesDamagedPrograms)
{
    const Bytes good = paramProgram("Good", {0.5f, 0.5f});
    Bytes wrongMagic = good;
    wrongMagic[0] = 'X';
    Bytes wrongKind = good;
    wrongKind[8] = 'Q';
    Bytes sizePastEnd = good;
    patch32(sizePastEnd, 4, 4000);
    Bytes negativeSize = good;
    patch32(negativeSize, 4, 0xFFFFFFF0);
    Bytes hugeCount = good;
    patch32(hugeCount, 24, 0x7FFFFFFF);
    Bytes negativeCount = good;
    patch32(negativeCount, 24, 0x80000000);
    Bytes chunkPastEnd = chunkProgram({1, 2, 3});
    patch32(chunkPastEnd, 56, 4);
    Bytes negativeChunk = chunkProgram({1, 2, 3});
    patch32(negativeChunk, 56, 0xFFFFFFFF);
    const Bytes nanValue = paramProgram("NaN", {std::numeric_limits<float>::quiet_NaN()});
    const Bytes outOfRange = paramProgram("Big", {1.5f});
    for (const Bytes& bad : {wrongMagic, wrongKind, sizePastEnd, negativeSize, hugeCount,
                             negativeCount, chunkPastEnd, negativeChunk, nanValue, outOfRange})
    {
        FxProgram program;
        std::string error;
        EXPECT_FALSE(FxPreset::readProgram(bad.data(), bad.size(), program, error));
        EXPECT_FALSE(error.empty());
    }
    for (std::size_t length = 0; length < good.size(); ++length)
    {
        FxProgram program;
        std::string error;
        EXPECT_FALSE(FxPreset::readProgram(good.data(), length, program, error)) << length;
    }
}

TEST(FxPresetTest, RefusesDamagedBanks)
{
    const Bytes program = paramProgram("P", {0.5f});
    Bytes good = bankHeader("FxBk", 2, 2, 0, 2 * program.size());
    good.insert(good.end(), program.begin(), program.end());
    good.insert(good.end(), program.begin(), program.end());
    FxBank bank;
    std::string error;
    ASSERT_TRUE(FxPreset::readBank(good, bank, error)) << error;

    Bytes hugeCount = good;
    patch32(hugeCount, 24, 0x7FFFFFFF);
    Bytes negativeCount = good;
    patch32(negativeCount, 24, 0xFFFFFFFF);
    Bytes wrongKind = good;
    wrongKind[8] = 'Z';
    Bytes damagedInner = good;
    damagedInner[156] = 'X'; // the first program's magic
    Bytes chunkInside = bankHeader("FxBk", 2, 1, 0, 0);
    const Bytes inner = chunkProgram({9});
    chunkInside.insert(chunkInside.end(), inner.begin(), inner.end());
    patch32(chunkInside, 4, static_cast<std::uint32_t>(chunkInside.size() - 8));
    Bytes chunkPastEnd = bankHeader("FBCh", 2, 1, 0, 8);
    be32(chunkPastEnd, 5);
    be32(chunkPastEnd, 0);
    for (const Bytes& bad :
         {hugeCount, negativeCount, wrongKind, damagedInner, chunkInside, chunkPastEnd})
    {
        EXPECT_FALSE(FxPreset::readBank(bad, bank, error));
        EXPECT_FALSE(error.empty());
    }
    for (std::size_t length = 0; length < good.size(); ++length)
    {
        EXPECT_FALSE(FxPreset::readBank(
            Bytes(good.begin(), good.begin() + static_cast<long>(length)), bank, error))
            << length;
    }
}

TEST(FxPresetTest, LongNamesAreCutToTheField)
{
    FxProgram program;
    program.name = std::string(40, 'n');
    program.params = {0.5f};
    const Bytes file = FxPreset::writeProgram(program);
    ASSERT_EQ(file.size(), 60u);
    FxProgram back;
    std::string error;
    ASSERT_TRUE(FxPreset::readProgram(file.data(), file.size(), back, error)) << error;
    EXPECT_EQ(back.name, std::string(27, 'n'));
}

} // namespace
