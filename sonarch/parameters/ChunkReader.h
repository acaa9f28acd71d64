// A private copy of chunk bytes with a read position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Sonarch::Parameters
{

// {data, length, position}: a read of n bytes copies what remains, up to n, advances the
// position and returns the number of bytes copied; the caller checks that all n arrived.
class ChunkReader
{
public:
    ChunkReader(const void* bytes, std::size_t count);
    ChunkReader(const ChunkReader&) = delete;
    ChunkReader& operator=(const ChunkReader&) = delete;

    std::size_t read(void* destination, std::size_t count);
    // Reads a little-endian 32-bit integer or float; false (and value untouched) when fewer than
    // 4 bytes remain.
    bool readInt32(std::int32_t& value);
    bool readFloat32(float& value);

    std::size_t getPosition() const { return position; }
    void setPosition(std::size_t newPosition);
    std::size_t getLength() const { return bytes.size(); }
    std::size_t getRemaining() const { return bytes.size() - position; }

private:
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
};

} // namespace Sonarch::Parameters
