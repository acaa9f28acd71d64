// The bank of programs: stored and live values, program selection, names, texts, index checks
// and the program and bank chunks byte by byte.
#include "instrument/TavrelBank.h"
#include "tests/support/TestProgrammable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using Sonarch::Parameters::ChunkReader;
using Sonarch::Parameters::ChunkWriter;

namespace
{

// The stored layout: a program record is version (4), identifier (128), name
// (128) and 128 little-endian floats; the image is version (4), identifier (128) and 128 records.
constexpr std::size_t kRecordSize = 772;
constexpr std::size_t kRecordIdentifier = 4;
constexpr std::size_t kRecordName = 132;
constexpr std::size_t kRecordValues = 260;
constexpr std::size_t kImageSize = 98948;
constexpr std::size_t kImageIdentifier = 4;
constexpr std::size_t kImagePrograms = 132;

void putInt32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void putFloat(std::vector<std::uint8_t>& bytes, std::size_t offset, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    putInt32(bytes, offset, bits);
}

void putText(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& text)
{
    std::memcpy(bytes.data() + offset, text.data(), text.size());
}

float getFloat(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
    {
        bits |= static_cast<std::uint32_t>(bytes[offset + static_cast<std::size_t>(i)]) << (8 * i);
    }
    float value = 0.0f;
    std::memcpy(&value, &bits, 4);
    return value;
}

std::string numbered(const char* text, int number)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%s %d", text, number);
    return buffer;
}

std::vector<std::uint8_t> programChunk(TavrelBank& bank)
{
    ChunkWriter writer(kRecordSize);
    bank.getProgramChunk(writer);
    return {writer.getData(), writer.getData() + writer.getLength()};
}

std::vector<std::uint8_t> bankChunk(TavrelBank& bank)
{
    ChunkWriter writer(kImageSize);
    bank.getBankChunk(writer);
    return {writer.getData(), writer.getData() + writer.getLength()};
}

// A record in the stored layout: version 1510, the given identifier, name and values.
std::vector<std::uint8_t> expectedRecord(const std::string& identifier, const std::string& name,
                                         const std::vector<float>& values)
{
    std::vector<std::uint8_t> bytes(kRecordSize, 0);
    putInt32(bytes, 0, 1510);
    putText(bytes, kRecordIdentifier, identifier);
    putText(bytes, kRecordName, name);
    for (std::size_t i = 0; i < values.size(); ++i)
    {
        putFloat(bytes, kRecordValues + 4 * i, values[i]);
    }
    return bytes;
}

class TavrelBankTest : public ::testing::Test
{
protected:
    TavrelBankTest()
        : synth(std::make_unique<TestProgrammable>()),
          bank(std::make_unique<TavrelBank>(synth.get()))
    {
    }

    std::unique_ptr<TestProgrammable> synth;
    std::unique_ptr<TavrelBank> bank;
};

TEST_F(TavrelBankTest, EveryProgramStartsBlankWithTheSynthesizersValues)
{
    ASSERT_EQ(bank->getProgramCount(), 128);
    ASSERT_EQ(bank->getParameterCount(), 97);
    EXPECT_EQ(bank->getCurrentProgram(), 0);
    for (int p = 0; p < 128; ++p)
    {
        EXPECT_STREQ(bank->getProgramName(p), "Blank");
        for (int i = 0; i < 97; ++i)
        {
            ASSERT_EQ(bank->getParameter(p, i), synth->getValue(i)) << p << " " << i;
        }
    }
    // Building the bank reads the synthesizer and writes nothing into it.
    EXPECT_TRUE(synth->writes.empty());
}

TEST_F(TavrelBankTest, WritesReachSynthesizerAndCurrentProgram)
{
    bank->setParameter(36, 0.3f);
    EXPECT_EQ(bank->getParameter(36), 0.3f);
    EXPECT_EQ(bank->getParameter(0, 36), 0.3f);

    const float initial = bank->getParameter(1, 36);
    ASSERT_NE(initial, 0.3f);
    bank->setCurrentProgram(1);
    EXPECT_EQ(bank->getParameter(36), initial);
    bank->setCurrentProgram(0);
    EXPECT_EQ(bank->getParameter(36), 0.3f);
    EXPECT_EQ(bank->getParameter(1, 36), initial);
}

TEST_F(TavrelBankTest, QuantisingParameterStoresTheWrittenValueAndReadsItsStep)
{
    bank->setParameter(1, 0.5f);
    EXPECT_EQ(bank->getParameter(0, 1), 0.5f);
    EXPECT_FLOAT_EQ(bank->getParameter(1), 8.0f / 15.0f);

    // The stored 0.5, not the step, is what the program chunk keeps and what switching applies.
    EXPECT_EQ(getFloat(programChunk(*bank), kRecordValues + 4 * 1), 0.5f);
    bank->setCurrentProgram(2);
    synth->writes.clear();
    bank->setCurrentProgram(0);
    ASSERT_GT(synth->writes.size(), 1u);
    EXPECT_EQ(synth->writes[1].first, 1);
    EXPECT_EQ(synth->writes[1].second, 0.5f);
}

TEST_F(TavrelBankTest, WritingAnotherProgramIsSilentUntilItIsSelected)
{
    const float before = bank->getParameter(36);
    bank->setParameter(5, 36, 0.9f);
    EXPECT_TRUE(synth->writes.empty());
    EXPECT_EQ(bank->getParameter(36), before);
    EXPECT_EQ(bank->getParameter(5, 36), 0.9f);

    bank->setCurrentProgram(5);
    EXPECT_EQ(bank->getCurrentProgram(), 5);
    EXPECT_EQ(bank->getParameter(36), 0.9f);

    // Writing the current program by number is audible at once.
    bank->setParameter(5, 37, 0.25f);
    EXPECT_EQ(bank->getParameter(37), 0.25f);
}

TEST_F(TavrelBankTest, SelectingAProgramAppliesEveryStoredValueInIndexOrder)
{
    for (int i = 0; i < 97; ++i)
    {
        bank->setParameter(7, i, static_cast<float>(i) / 128.0f);
    }
    synth->writes.clear();
    bank->setCurrentProgram(7);
    ASSERT_EQ(synth->writes.size(), 97u);
    for (int i = 0; i < 97; ++i)
    {
        EXPECT_EQ(synth->writes[static_cast<std::size_t>(i)].first, i);
        EXPECT_EQ(synth->writes[static_cast<std::size_t>(i)].second,
                  static_cast<float>(i) / 128.0f);
    }
}

TEST_F(TavrelBankTest, FindParameterMatchesWholeShortNames)
{
    EXPECT_EQ(bank->findParameter("F Cut"), 36);
    EXPECT_EQ(bank->findParameter("P0"), 0);
    EXPECT_EQ(bank->findParameter("P96"), 96);
    EXPECT_EQ(bank->findParameter("Nothing"), 97);
    EXPECT_EQ(bank->findParameter("F Cu"), 97);
    EXPECT_EQ(bank->findParameter("F Cutoff"), 97);
    EXPECT_EQ(bank->findParameter(""), 97);
    EXPECT_EQ(bank->findParameter(nullptr), 97);

    // The first of two equal names wins.
    synth->setName(50, "F Cut");
    EXPECT_EQ(bank->findParameter("F Cut"), 36);

    TestProgrammable empty(0);
    TavrelBank emptyBank(&empty);
    EXPECT_EQ(emptyBank.findParameter("F Cut"), 0);
}

TEST_F(TavrelBankTest, ProgramNamesAreCutTo127CharactersAndTerminated)
{
    const std::string longName(200, 'x');
    bank->setProgramName(3, longName.c_str());
    EXPECT_EQ(std::string(bank->getProgramName(3)), std::string(127, 'x'));

    const std::string otherName = std::string(200, 'y').replace(0, 1, "A");
    bank->setCurrentProgramName(otherName.c_str());
    EXPECT_EQ(std::string(bank->getCurrentProgramName()), otherName.substr(0, 127));
    EXPECT_EQ(std::string(bank->getProgramName(0)), otherName.substr(0, 127));

    // A shorter name leaves nothing of the longer one behind it in the stored field.
    bank->setProgramName(3, "Pad");
    EXPECT_STREQ(bank->getProgramName(3), "Pad");
    const std::vector<std::uint8_t> bytes = bankChunk(*bank);
    const std::size_t field = kImagePrograms + 3 * kRecordSize + kRecordName;
    for (std::size_t i = 3; i < 128; ++i)
    {
        ASSERT_EQ(bytes[field + i], 0) << i;
    }

    bank->setProgramName(4, nullptr);
    EXPECT_STREQ(bank->getProgramName(4), "");
    EXPECT_STREQ(bank->getProgramName(5), "Blank");
}

TEST_F(TavrelBankTest, TextOperationsFillTheBanksOwnBuffers)
{
    bank->setParameter(36, 0.3f);
    const char* nameText = bank->getParameterName(36);
    EXPECT_STREQ(nameText, "F Cut");
    EXPECT_STREQ(bank->getParameterName(2), "P2");
    EXPECT_EQ(bank->getParameterName(2), nameText); // the same buffer, overwritten
    EXPECT_STREQ(bank->getParameterLabel(36), "u36");
    EXPECT_STREQ(bank->getParameterDisplay(36), "0.300");
    EXPECT_STREQ(bank->getParameterLongDisplay(36), "long 36");
    EXPECT_STREQ(bank->getParameterLongName(36), "Filter: Cutoff");
    EXPECT_STREQ(bank->getParameterLongName(96), "Master Level");
}

TEST_F(TavrelBankTest, IndexesOutsideTheirRangesChangeAndReadNothing)
{
    bank->setParameter(36, 0.3f);
    const std::vector<std::uint8_t> before = bankChunk(*bank);
    synth->writes.clear();

    for (const int program : {-1, 128, 1000, INT32_MIN})
    {
        bank->setCurrentProgram(program);
        bank->setProgramName(program, "Broken");
        bank->setParameter(program, 36, 0.7f);
        EXPECT_EQ(bank->getParameter(program, 36), 0.0f);
        EXPECT_STREQ(bank->getProgramName(program), "");
    }
    for (const int index : {-1, 97, 127, 128, 100000, INT32_MIN})
    {
        bank->setParameter(index, 0.7f);
        bank->setParameter(0, index, 0.7f);
        bank->notifyParameterChanged(nullptr, index);
        EXPECT_EQ(bank->getParameter(index), 0.0f);
        EXPECT_EQ(bank->getParameter(0, index), 0.0f);
        EXPECT_STREQ(bank->getParameterName(index), "");
        EXPECT_STREQ(bank->getParameterLongName(index), "");
        EXPECT_STREQ(bank->getParameterLabel(index), "");
        EXPECT_STREQ(bank->getParameterDisplay(index), "");
        EXPECT_STREQ(bank->getParameterLongDisplay(index), "");
    }
    EXPECT_EQ(bank->getCurrentProgram(), 0);
    EXPECT_TRUE(synth->writes.empty());
    EXPECT_EQ(synth->invalidIndexCalls, 0);
    EXPECT_EQ(bankChunk(*bank), before);
    EXPECT_EQ(bank->getParameter(36), 0.3f);
}

TEST(TavrelBankLimits, ASynthesizerWithMoreParametersThanSlotsIsCutToTheSlots)
{
    TestProgrammable big(140);
    TavrelBank bank(&big);
    EXPECT_EQ(bank.getParameterCount(), 128);
    bank.setParameter(130, 0.5f);
    EXPECT_TRUE(big.writes.empty());
    bank.setCurrentProgram(1);
    EXPECT_EQ(big.writes.size(), 128u);
    // Long names exist for the synthesizer's 97 parameters only.
    EXPECT_STREQ(bank.getParameterLongName(100), "");
}

class TavrelBankChunkTest : public TavrelBankTest
{
};

TEST_F(TavrelBankChunkTest, ProgramChunkIsTheCurrentRecordInTheStoredLayout)
{
    std::vector<float> values(128, 0.0f);
    for (int i = 0; i < 97; ++i)
    {
        values[static_cast<std::size_t>(i)] = static_cast<float>(i) / 256.0f;
        bank->setParameter(9, i, values[static_cast<std::size_t>(i)]);
    }
    bank->setParameter(9, 1, -0.25f); // sign bit and exponent land in the right bytes
    values[1] = -0.25f;
    bank->setProgramName(9, "Golden Brass");
    bank->setCurrentProgram(9);

    const std::vector<std::uint8_t> bytes = programChunk(*bank);
    ASSERT_EQ(bytes.size(), kRecordSize);
    EXPECT_EQ(bytes, expectedRecord("Tavrel Program", "Golden Brass", values));
    // Spot check of the byte order: version 1510 = 0x05E6, -0.25f = 0xBE800000.
    EXPECT_EQ(bytes[0], 0xE6);
    EXPECT_EQ(bytes[1], 0x05);
    EXPECT_EQ(bytes[kRecordValues + 4 + 3], 0xBE);
    EXPECT_EQ(bytes[kRecordValues + 4 + 2], 0x80);
}

TEST_F(TavrelBankChunkTest, BankChunkIsTheWholeImageInTheStoredLayout)
{
    bank->setProgramName(127, "Last");
    const std::vector<std::uint8_t> bytes = bankChunk(*bank);
    ASSERT_EQ(bytes.size(), kImageSize);

    std::vector<std::uint8_t> header(kImagePrograms, 0);
    putInt32(header, 0, 1510);
    putText(header, kImageIdentifier, "Tavrel Bank");
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + kImagePrograms), header);

    std::vector<float> initial(128, 0.0f);
    for (int i = 0; i < 97; ++i)
    {
        initial[static_cast<std::size_t>(i)] = synth->getValue(i);
    }
    for (std::size_t p = 0; p < 128; ++p)
    {
        const auto first =
            bytes.begin() + static_cast<std::ptrdiff_t>(kImagePrograms + p * kRecordSize);
        const std::vector<std::uint8_t> record(first, first + kRecordSize);
        ASSERT_EQ(record, expectedRecord("Tavrel Program", p == 127 ? "Last" : "Blank", initial))
            << "program " << p;
    }
}

TEST_F(TavrelBankChunkTest, BankChunkRoundTripReproducesEveryNameAndValue)
{
    for (int p = 0; p < 128; ++p)
    {
        bank->setProgramName(p, numbered("Program", p).c_str());
        for (int i = 0; i < 97; ++i)
        {
            bank->setParameter(p, i, static_cast<float>((p * 31 + i * 7) % 101) / 100.0f);
        }
    }
    bank->setCurrentProgram(42);
    const std::vector<std::uint8_t> written = bankChunk(*bank);

    TestProgrammable otherSynth;
    TavrelBank other(&otherSynth);
    other.setCurrentProgram(42);
    otherSynth.writes.clear();
    ChunkReader reader(written.data(), written.size());
    ASSERT_TRUE(other.setBankChunk(reader));
    EXPECT_EQ(reader.getPosition(), kImageSize);

    EXPECT_EQ(bankChunk(other), written);
    EXPECT_STREQ(other.getProgramName(42), "Program 42");
    // The current program (still 42) is applied to the synthesizer.
    EXPECT_EQ(otherSynth.writes.size(), 97u);
    EXPECT_EQ(otherSynth.getValue(36), bank->getParameter(42, 36));
}

TEST_F(TavrelBankChunkTest, ProgramChunkRoundTripLoadsIntoTheCurrentProgramOnly)
{
    bank->setProgramName(3, "Source");
    bank->setParameter(3, 36, 0.125f);
    bank->setCurrentProgram(3);
    const std::vector<std::uint8_t> written = programChunk(*bank);

    bank->setCurrentProgram(10);
    const std::string program11 = bank->getProgramName(11);
    synth->writes.clear();
    ChunkReader reader(written.data(), written.size());
    ASSERT_TRUE(bank->setProgramChunk(reader));
    EXPECT_STREQ(bank->getProgramName(10), "Source");
    EXPECT_EQ(bank->getParameter(10, 36), 0.125f);
    EXPECT_EQ(bank->getParameter(36), 0.125f);
    EXPECT_EQ(synth->writes.size(), 97u);
    EXPECT_EQ(bank->getProgramName(11), program11);
    EXPECT_EQ(programChunk(*bank), written);
}

TEST_F(TavrelBankChunkTest, ForeignVersionAndIdentifiersAreIgnoredAndValuesKeptAsStored)
{
    std::vector<std::uint8_t> image(kImageSize, 0);
    putInt32(image, 0, 1000);
    putText(image, kImageIdentifier, "Someone Else");
    for (std::size_t p = 0; p < 128; ++p)
    {
        const std::size_t record = kImagePrograms + p * kRecordSize;
        putInt32(image, record, 7);
        std::memset(image.data() + record + kRecordIdentifier, 'z', 128); // no terminator
        putText(image, record + kRecordName, numbered("Factory", static_cast<int>(p)));
        putFloat(image, record + kRecordValues + 4 * 36, 2.5f);
        putFloat(image, record + kRecordValues + 4 * 120, 0.75f);
    }
    // A name without a zero in its 128 bytes is cut to 127 characters.
    std::memset(image.data() + kImagePrograms + 5 * kRecordSize + kRecordName, 'n', 128);

    ChunkReader reader(image.data(), image.size());
    ASSERT_TRUE(bank->setBankChunk(reader));
    EXPECT_STREQ(bank->getProgramName(0), "Factory 0");
    EXPECT_EQ(std::string(bank->getProgramName(5)), std::string(127, 'n'));
    EXPECT_EQ(bank->getParameter(4, 36), 2.5f);
    EXPECT_EQ(bank->getImage().programs[4].values[120], 0.75f);

    // The bank keeps its own version and identifiers when it writes the image out again.
    const std::vector<std::uint8_t> bytes = bankChunk(*bank);
    EXPECT_EQ(bytes[0], 0xE6);
    EXPECT_EQ(bytes[1], 0x05);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + kImageIdentifier)),
              "Tavrel Bank");
    const std::size_t record = kImagePrograms + 5 * kRecordSize;
    EXPECT_EQ(bytes[record], 0xE6);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + record + kRecordIdentifier)),
              "Tavrel Program");
    EXPECT_EQ(bytes[record + kRecordName + 127], 0);
    // Slots past the parameters travel with the program even though nothing reads them.
    EXPECT_EQ(getFloat(bytes, record + kRecordValues + 4 * 120), 0.75f);

    // A program record with any identifier at all still loads.
    std::vector<std::uint8_t> single(kRecordSize, 0xFF);
    std::memset(single.data() + kRecordName, 0, 128);
    putText(single, kRecordName, "Odd");
    for (std::size_t i = 0; i < 128; ++i)
    {
        putFloat(single, kRecordValues + 4 * i, 0.5f);
    }
    ChunkReader programReader(single.data(), single.size());
    ASSERT_TRUE(bank->setProgramChunk(programReader));
    EXPECT_STREQ(bank->getCurrentProgramName(), "Odd");
    EXPECT_EQ(bank->getParameter(0, 36), 0.5f);
}

TEST_F(TavrelBankChunkTest, ShortChunksFailAndChangeNothing)
{
    bank->setProgramName(0, "Keep");
    bank->setParameter(36, 0.3f);
    const std::vector<std::uint8_t> before = bankChunk(*bank);
    synth->writes.clear();

    std::vector<std::uint8_t> image(kImageSize - 1, 0);
    for (std::size_t p = 0; p < 127; ++p)
    {
        putText(image, kImagePrograms + p * kRecordSize + kRecordName, "Lost");
    }
    ChunkReader shortBank(image.data(), image.size());
    EXPECT_FALSE(bank->setBankChunk(shortBank));

    const std::vector<std::uint8_t> record(kRecordSize - 1, 0);
    ChunkReader shortProgram(record.data(), record.size());
    EXPECT_FALSE(bank->setProgramChunk(shortProgram));

    ChunkReader empty(nullptr, 0);
    EXPECT_FALSE(bank->setBankChunk(empty));
    EXPECT_FALSE(bank->setProgramChunk(empty));

    EXPECT_EQ(bankChunk(*bank), before);
    EXPECT_TRUE(synth->writes.empty());
    EXPECT_EQ(bank->getParameter(36), 0.3f);
}

} // namespace
