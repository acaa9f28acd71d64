// The size a PNG states in its header, read without decoding the image.
#pragma once

#include <cstddef>

namespace Sonarch::Gui
{

// The 8-byte signature, then the IHDR chunk with the width and height as big-endian 32-bit
// numbers. False (width and height untouched) for anything else, or a size of 0 or above 32767.
bool pngHeaderSize(const unsigned char* bytes, std::size_t size, int& width, int& height);

} // namespace Sonarch::Gui
