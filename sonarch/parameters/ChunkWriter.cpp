// The growable chunk buffer.
#include "sonarch/parameters/ChunkWriter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Sonarch::Parameters
{

ChunkWriter::ChunkWriter(std::size_t initialCapacity)
    : data(nullptr), capacity(initialCapacity > 0 ? initialCapacity : 1)
{
    data = static_cast<std::uint8_t*>(std::calloc(capacity, 1));
    if (data == nullptr)
    {
        throw std::bad_alloc();
    }
}

ChunkWriter::~ChunkWriter()
{
    std::free(data);
}

void ChunkWriter::append(const void* bytes, std::size_t count)
{
    if (count == 0)
    {
        return;
    }
    // A size past what memory can address cannot be met; doubling towards it would overflow and
    // never end.
    if (count > SIZE_MAX - length)
    {
        throw std::bad_alloc();
    }
    std::size_t needed = capacity;
    while (length + count > needed)
    {
        needed = needed <= SIZE_MAX / 2 ? needed * 2 : length + count;
    }
    if (needed != capacity)
    {
        auto* grown = static_cast<std::uint8_t*>(std::calloc(needed, 1));
        if (grown == nullptr)
        {
            throw std::bad_alloc();
        }
        std::memcpy(grown, data, length);
        std::free(data);
        data = grown;
        capacity = needed;
    }
    std::memcpy(data + length, bytes, count);
    length += count;
}

void ChunkWriter::appendInt32(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(bits & 0xFF),
                                   static_cast<std::uint8_t>((bits >> 8) & 0xFF),
                                   static_cast<std::uint8_t>((bits >> 16) & 0xFF),
                                   static_cast<std::uint8_t>((bits >> 24) & 0xFF)};
    append(bytes, sizeof(bytes));
}

void ChunkWriter::appendFloat32(float value)
{
    std::int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    appendInt32(bits);
}

void ChunkWriter::clear()
{
    std::memset(data, 0, length);
    length = 0;
}

} // namespace Sonarch::Parameters
