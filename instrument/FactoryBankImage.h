// Assembles the built-in factory bank, in the stored form of a bank chunk, from its source data.
#pragma once

#include <cstdint>
#include <vector>

namespace Sonarch::Parameters
{
class BankInterface;
}

// The version written into the factory image: older than the first version that carries a
// MIDI-learn table, so loading it leaves the bindings alone.
constexpr std::int32_t kFactoryBankVersion = 1000;

// The 98948-byte image of version 1000. Every program starts from the bank's live values (the
// parameters' defaults on a new synthesizer) and applies its own settings, found by short name.
// A setting whose short name the bank does not know is skipped.
std::vector<std::uint8_t> buildFactoryBankImage(Sonarch::Parameters::BankInterface& bank);
