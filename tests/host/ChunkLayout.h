// The stored layout of bank and program chunks, and little-endian access to their fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace HostCheck::Chunk
{

// A program record: version, identifier, name, 128 normalised values.
constexpr std::size_t kProgramSize = 772;
constexpr std::size_t kProgramIdentifier = 4;
constexpr std::size_t kProgramName = 132;
constexpr std::size_t kProgramValues = 260;
constexpr int kValueSlots = 128;
// The bank image: version, identifier, 128 program records; then the MIDI-learn table.
constexpr std::size_t kBankIdentifier = 4;
constexpr std::size_t kBankPrograms = 132;
constexpr int kPrograms = 128;
constexpr std::size_t kBankImageSize = kBankPrograms + kPrograms * kProgramSize; // 98948
constexpr std::size_t kTextField = 128;
constexpr int kControllers = 128;
constexpr std::size_t kEmptyTableSize = kControllers * 4; // 128 zero counts
constexpr std::int32_t kVersion = 1510;
constexpr std::int32_t kFactoryVersion = 1000;

inline std::int32_t readInt32(const std::vector<std::uint8_t>& data, std::size_t offset)
{
    const std::uint32_t value = static_cast<std::uint32_t>(data[offset]) |
                                static_cast<std::uint32_t>(data[offset + 1]) << 8 |
                                static_cast<std::uint32_t>(data[offset + 2]) << 16 |
                                static_cast<std::uint32_t>(data[offset + 3]) << 24;
    return static_cast<std::int32_t>(value);
}

inline void writeInt32(std::vector<std::uint8_t>& data, std::size_t offset, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
    {
        data[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

inline void appendInt32(std::vector<std::uint8_t>& data, std::int32_t value)
{
    data.resize(data.size() + 4);
    writeInt32(data, data.size() - 4, value);
}

inline float readFloat(const std::vector<std::uint8_t>& data, std::size_t offset)
{
    const std::int32_t bits = readInt32(data, offset);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

inline void writeFloat(std::vector<std::uint8_t>& data, std::size_t offset, float value)
{
    std::int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    writeInt32(data, offset, bits);
}

// The zero-terminated text of a fixed field (all of it when no zero is found).
inline std::string readText(const std::vector<std::uint8_t>& data, std::size_t offset,
                            std::size_t size = kTextField)
{
    std::string text;
    for (std::size_t i = 0; i < size && data[offset + i] != 0; ++i)
    {
        text.push_back(static_cast<char>(data[offset + i]));
    }
    return text;
}

inline void writeText(std::vector<std::uint8_t>& data, std::size_t offset, const std::string& text,
                      std::size_t size = kTextField)
{
    std::memset(&data[offset], 0, size);
    std::memcpy(&data[offset], text.data(), text.size() < size ? text.size() : size - 1);
}

inline std::size_t programOffset(int program)
{
    return kBankPrograms + static_cast<std::size_t>(program) * kProgramSize;
}

inline std::size_t valueOffset(int program, int index)
{
    return programOffset(program) + kProgramValues + static_cast<std::size_t>(index) * 4;
}

// A MIDI-learn table: for each controller the bound parameter indexes in binding order.
using Bindings = std::vector<std::vector<std::int32_t>>;

inline std::vector<std::uint8_t> encodeTable(const Bindings& bindings)
{
    std::vector<std::uint8_t> table;
    for (int controller = 0; controller < kControllers; ++controller)
    {
        const std::vector<std::int32_t>& list = bindings[static_cast<std::size_t>(controller)];
        appendInt32(table, static_cast<std::int32_t>(list.size()));
        for (std::int32_t index : list)
        {
            appendInt32(table, index);
        }
    }
    return table;
}

// The image part of a bank chunk followed by the given table.
inline std::vector<std::uint8_t> withTable(const std::vector<std::uint8_t>& bankChunk,
                                           const std::vector<std::uint8_t>& table)
{
    std::vector<std::uint8_t> chunk(kBankImageSize + table.size());
    std::memcpy(chunk.data(), bankChunk.data(), kBankImageSize);
    for (std::size_t i = 0; i < table.size(); ++i)
    {
        chunk[kBankImageSize + i] = table[i];
    }
    return chunk;
}

inline std::vector<std::uint8_t> tableOf(const std::vector<std::uint8_t>& bankChunk)
{
    if (bankChunk.size() < kBankImageSize)
    {
        return {};
    }
    return std::vector<std::uint8_t>(bankChunk.begin() + static_cast<long>(kBankImageSize),
                                     bankChunk.end());
}

} // namespace HostCheck::Chunk
