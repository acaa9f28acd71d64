// The stored form's readers against its writers: every bit read back, short input refused.
#include "instrument/BankImage.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

using Sonarch::Parameters::ChunkReader;
using Sonarch::Parameters::ChunkWriter;

namespace
{

// A record whose fields all differ from a zeroed one, with values a float copy could change: a
// negative zero, a NaN with a payload, a subnormal and an infinity. The name fills its field
// without a terminator.
void fillRecord(ProgramRecord& record, int seed)
{
    record.version = 1000 + seed;
    std::memset(record.identifier, 0, sizeof(record.identifier));
    std::memcpy(record.identifier, "Some Program", 12);
    std::memset(record.name, 'a' + seed % 26, sizeof(record.name));
    for (int i = 0; i < kProgramValueSlots; ++i)
    {
        record.values[i] = static_cast<float>(i * seed) / 1000.0f;
    }
    record.values[1] = -0.0f;
    record.values[2] = std::bit_cast<float>(std::uint32_t{0x7FC01234u}); // a NaN with a payload
    record.values[3] = std::numeric_limits<float>::denorm_min();
    record.values[4] = -std::numeric_limits<float>::infinity();
}

} // namespace

TEST(BankImageTest, ReadingARecordOrTheImageGivesBackEveryBitWritten)
{
    ProgramRecord record;
    fillRecord(record, 7);
    ChunkWriter recordBytes(kProgramRecordBytes);
    writeProgramRecord(recordBytes, record);
    ASSERT_EQ(recordBytes.getLength(), static_cast<std::size_t>(kProgramRecordBytes));
    ChunkReader recordReader(recordBytes.getData(), recordBytes.getLength());
    ProgramRecord readBack{};
    ASSERT_TRUE(readProgramRecord(recordReader, readBack));
    EXPECT_EQ(std::memcmp(&readBack, &record, sizeof(record)), 0);
    EXPECT_EQ(recordReader.getRemaining(), 0u);

    auto image = std::make_unique<BankImage>();
    image->version = kChunkVersion;
    std::memset(image->identifier, 0, sizeof(image->identifier));
    std::memcpy(image->identifier, kBankIdentifier, std::strlen(kBankIdentifier));
    for (int p = 0; p < kBankProgramSlots; ++p)
    {
        fillRecord(image->programs[p], p);
    }
    ChunkWriter imageBytes(kBankImageBytes);
    writeBankImage(imageBytes, *image);
    imageBytes.appendInt32(42); // what follows the image stays for the next reader
    ChunkReader imageReader(imageBytes.getData(), imageBytes.getLength());
    auto imageBack = std::make_unique<BankImage>();
    ASSERT_TRUE(readBankImage(imageReader, *imageBack));
    EXPECT_EQ(std::memcmp(imageBack.get(), image.get(), sizeof(BankImage)), 0);
    EXPECT_EQ(imageReader.getPosition(), static_cast<std::size_t>(kBankImageBytes));
}

TEST(BankImageTest, ShortInputIsRefusedWithoutReadingAnything)
{
    ProgramRecord record;
    fillRecord(record, 3);
    ChunkWriter bytes(kBankImageBytes);
    auto image = std::make_unique<BankImage>();
    writeBankImage(bytes, *image);

    ChunkReader shortRecord(bytes.getData(), kProgramRecordBytes - 1);
    ProgramRecord untouched;
    fillRecord(untouched, 3);
    EXPECT_FALSE(readProgramRecord(shortRecord, untouched));
    EXPECT_EQ(shortRecord.getPosition(), 0u);
    EXPECT_EQ(std::memcmp(&untouched, &record, sizeof(record)), 0);

    ChunkReader shortImage(bytes.getData(), kBankImageBytes - 1);
    auto target = std::make_unique<BankImage>();
    target->version = 77;
    EXPECT_FALSE(readBankImage(shortImage, *target));
    EXPECT_EQ(shortImage.getPosition(), 0u);
    EXPECT_EQ(target->version, 77);
}
