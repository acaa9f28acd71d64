// The private copy of chunk bytes.
#include "sonarch/parameters/ChunkReader.h"

#include <cstring>

namespace Sonarch::Parameters
{

ChunkReader::ChunkReader(const void* source, std::size_t count)
{
    if (source != nullptr && count > 0)
    {
        const auto* first = static_cast<const std::uint8_t*>(source);
        bytes.assign(first, first + count);
    }
}

std::size_t ChunkReader::read(void* destination, std::size_t count)
{
    const std::size_t available = count < getRemaining() ? count : getRemaining();
    if (available > 0)
    {
        std::memcpy(destination, bytes.data() + position, available);
        position += available;
    }
    return available;
}

bool ChunkReader::readInt32(std::int32_t& value)
{
    if (getRemaining() < 4)
    {
        return false;
    }
    const std::uint8_t* p = bytes.data() + position;
    value = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
    position += 4;
    return true;
}

bool ChunkReader::readFloat32(float& value)
{
    std::int32_t bits = 0;
    if (!readInt32(bits))
    {
        return false;
    }
    std::memcpy(&value, &bits, sizeof(value));
    return true;
}

void ChunkReader::setPosition(std::size_t newPosition)
{
    position = newPosition < bytes.size() ? newPosition : bytes.size();
}

} // namespace Sonarch::Parameters
