// A normalised value as it travels in a window message: the 32 bits of the float.
#pragma once

#include <bit>
#include <cstdint>

namespace Sonarch::Gui
{

inline std::uint32_t valueToBits(float valueNorm)
{
    return std::bit_cast<std::uint32_t>(valueNorm);
}

// Only the low 32 bits of a message argument carry the value (arguments are 64-bit on Win64).
inline float valueFromBits(std::uint64_t messageArgument)
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(messageArgument));
}

} // namespace Sonarch::Gui
