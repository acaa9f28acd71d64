// The chunk buffers: growth by doubling, clearing, little-endian numbers, short reads.
#include "sonarch/parameters/ChunkReader.h"
#include "sonarch/parameters/ChunkWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <new>
#include <vector>

using Sonarch::Parameters::ChunkReader;
using Sonarch::Parameters::ChunkWriter;

namespace
{

TEST(ChunkWriterTest, GrowsByDoublingAndKeepsWhatWasWritten)
{
    ChunkWriter writer(772);
    std::vector<std::uint8_t> bytes(5000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        bytes[i] = static_cast<std::uint8_t>(i * 7);
    }
    writer.append(bytes.data(), 700);
    EXPECT_EQ(writer.getCapacity(), 772u);
    writer.append(bytes.data() + 700, 700); // 1400 bytes: one doubling
    EXPECT_EQ(writer.getCapacity(), 1544u);
    writer.append(bytes.data() + 1400, 3600); // 5000 bytes: doubled three times more
    EXPECT_EQ(writer.getCapacity(), 772u * 8);
    ASSERT_EQ(writer.getLength(), 5000u);
    EXPECT_EQ(std::vector<std::uint8_t>(writer.getData(), writer.getData() + 5000), bytes);
}

TEST(ChunkWriterTest, ClearZeroesTheUsedBytesAndKeepsTheCapacity)
{
    ChunkWriter writer(8);
    writer.appendInt32(-1);
    writer.appendInt32(-1);
    writer.appendInt32(-1);
    const std::size_t capacity = writer.getCapacity();
    writer.clear();
    EXPECT_EQ(writer.getLength(), 0u);
    EXPECT_EQ(writer.getCapacity(), capacity);
    for (std::size_t i = 0; i < 12; ++i)
    {
        EXPECT_EQ(writer.getData()[i], 0) << i;
    }
    writer.appendInt32(5);
    EXPECT_EQ(writer.getLength(), 4u);
    EXPECT_EQ(writer.getData()[0], 5);
}

TEST(ChunkWriterTest, NumbersAreLittleEndian)
{
    ChunkWriter writer(1);
    writer.appendInt32(1510);
    writer.appendInt32(-2);
    writer.appendFloat32(1.0f);
    const std::vector<std::uint8_t> expected = {0xE6, 0x05, 0x00, 0x00, 0xFE, 0xFF,
                                                0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F};
    ASSERT_EQ(writer.getLength(), expected.size());
    EXPECT_EQ(std::vector<std::uint8_t>(writer.getData(), writer.getData() + writer.getLength()),
              expected);
}

TEST(ChunkWriterTest, AnUnaddressableSizeIsRefusedInsteadOfDoublingForever)
{
    ChunkWriter writer(16);
    writer.appendInt32(7);
    const std::uint8_t byte = 0;
    EXPECT_THROW(writer.append(&byte, std::numeric_limits<std::size_t>::max()), std::bad_alloc);
    EXPECT_EQ(writer.getLength(), 4u);
    EXPECT_EQ(writer.getData()[0], 7);
}

TEST(ChunkReaderTest, ReadsCopyWhatRemainsAndReportTheCount)
{
    const std::uint8_t source[6] = {1, 2, 3, 4, 5, 6};
    ChunkReader reader(source, sizeof(source));
    std::uint8_t target[8] = {};
    EXPECT_EQ(reader.read(target, 4), 4u);
    EXPECT_EQ(reader.getPosition(), 4u);
    EXPECT_EQ(reader.read(target, 8), 2u);
    EXPECT_EQ(target[0], 5);
    EXPECT_EQ(target[1], 6);
    EXPECT_EQ(target[2], 3); // untouched past the short read
    EXPECT_EQ(reader.getRemaining(), 0u);
    EXPECT_EQ(reader.read(target, 1), 0u);

    reader.setPosition(100);
    EXPECT_EQ(reader.getPosition(), 6u);
    reader.setPosition(0);
    EXPECT_EQ(reader.getRemaining(), 6u);
}

TEST(ChunkReaderTest, NumbersAreLittleEndianAndShortNumbersFail)
{
    const std::uint8_t source[] = {0xE6, 0x05, 0x00, 0x00, 0xFE, 0xFF, 0xFF,
                                   0xFF, 0x00, 0x00, 0x80, 0x3F, 0x11, 0x22};
    ChunkReader reader(source, sizeof(source));
    std::int32_t number = 0;
    float real = 0.0f;
    ASSERT_TRUE(reader.readInt32(number));
    EXPECT_EQ(number, 1510);
    ASSERT_TRUE(reader.readInt32(number));
    EXPECT_EQ(number, -2);
    ASSERT_TRUE(reader.readFloat32(real));
    EXPECT_EQ(real, 1.0f);

    number = 99;
    EXPECT_FALSE(reader.readInt32(number));
    EXPECT_EQ(number, 99);
    EXPECT_FALSE(reader.readFloat32(real));
    EXPECT_EQ(reader.getRemaining(), 2u);

    ChunkReader empty(nullptr, 10);
    EXPECT_EQ(empty.getLength(), 0u);
    EXPECT_FALSE(empty.readInt32(number));
}

} // namespace
