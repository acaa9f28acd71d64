// Reading a PNG's header.
#include "sonarch/gui/PngHeader.h"

#include <cstring>

namespace Sonarch::Gui
{

bool pngHeaderSize(const unsigned char* bytes, std::size_t size, int& width, int& height)
{
    // The signature, then the first chunk: its length (13) and "IHDR".
    constexpr unsigned char kStart[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                          0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    if (bytes == nullptr || size < 24 || std::memcmp(bytes, kStart, sizeof(kStart)) != 0)
    {
        return false;
    }
    auto bigEndian = [bytes](int at)
    {
        return (static_cast<unsigned long>(bytes[at]) << 24) |
               (static_cast<unsigned long>(bytes[at + 1]) << 16) |
               (static_cast<unsigned long>(bytes[at + 2]) << 8) |
               static_cast<unsigned long>(bytes[at + 3]);
    };
    const unsigned long stateWidth = bigEndian(16);
    const unsigned long stateHeight = bigEndian(20);
    if (stateWidth == 0 || stateHeight == 0 || stateWidth > 32767 || stateHeight > 32767)
    {
        return false;
    }
    width = static_cast<int>(stateWidth);
    height = static_cast<int>(stateHeight);
    return true;
}

} // namespace Sonarch::Gui
