// A growable byte buffer that chunks are written into.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Sonarch::Parameters
{

// {data, length, capacity}: an append that does not fit doubles the capacity as often as needed
// and moves the data. Used on the user-interface thread only (it allocates). The data pointer
// stays valid until the next append that grows the buffer or the writer's end.
class ChunkWriter
{
public:
    explicit ChunkWriter(std::size_t initialCapacity);
    ~ChunkWriter();
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    void append(const void* bytes, std::size_t count);
    // Appends a 32-bit integer or float, little-endian on every target.
    void appendInt32(std::int32_t value);
    void appendFloat32(float value);
    // Zeroes the used bytes and sets the length to 0; the capacity stays.
    void clear();

    const std::uint8_t* getData() const { return data; }
    std::uint8_t* getData() { return data; }
    std::size_t getLength() const { return length; }
    std::size_t getCapacity() const { return capacity; }

private:
    std::uint8_t* data;
    std::size_t length = 0;
    std::size_t capacity;
};

} // namespace Sonarch::Parameters
