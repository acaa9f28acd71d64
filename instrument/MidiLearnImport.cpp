// The MIDI-learn import from a bank file.
#include "instrument/MidiLearnImport.h"

#include "instrument/BankImage.h"
#include "sonarch/midi/MidiLearn.h"
#include "sonarch/parameters/ChunkReader.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace
{

// Byte offsets in a VST bank file of the chunk kind.
constexpr std::size_t kKindOffset = 8;
constexpr std::size_t kPluginOffset = 16;
constexpr std::size_t kChunkOffset = 160;
constexpr std::int32_t kFirstVersionWithTable = 1500;

// No table is longer than 128 controllers with a count and 128 indexes each: nothing past that is
// ever read, however large the file.
constexpr std::size_t kLongestTable = 128 * (4 + 128 * 4);
constexpr std::size_t kLongestUsefulFile = kChunkOffset + kBankImageBytes + kLongestTable;

bool hasBytes(std::size_t count, std::size_t offset, std::size_t length)
{
    return offset <= count && length <= count - offset;
}

} // namespace

const char* midiLearnImportMessage(MidiLearnImportResult result)
{
    switch (result)
    {
    case MidiLearnImportResult::Success:
        return "The operation was successful.";
    case MidiLearnImportResult::CannotOpen:
        return "Unable to open file.";
    case MidiLearnImportResult::NotChunkBank:
        return "Not a bank (chunk) file.";
    case MidiLearnImportResult::NotTavrelBank:
        return "Not a Tavrel bank file.";
    case MidiLearnImportResult::OldVersion:
        return "Wrong Tavrel bank version; must be v1.5 or greater.";
    case MidiLearnImportResult::ReadError:
        break;
    }
    return "An error occurred while reading the file.";
}

MidiLearnImportResult importMidiLearn(const std::uint8_t* bytes, std::size_t count,
                                      Sonarch::Midi::MidiLearn& midiLearn)
{
    if (bytes == nullptr)
    {
        count = 0;
    }
    if (!hasBytes(count, kKindOffset, 4))
    {
        return MidiLearnImportResult::ReadError;
    }
    if (std::memcmp(bytes + kKindOffset, "FBCh", 4) != 0)
    {
        return MidiLearnImportResult::NotChunkBank;
    }
    if (!hasBytes(count, kPluginOffset, 4))
    {
        return MidiLearnImportResult::ReadError;
    }
    if (std::memcmp(bytes + kPluginOffset, "Tvrl", 4) != 0)
    {
        return MidiLearnImportResult::NotTavrelBank;
    }
    if (!hasBytes(count, kChunkOffset, 4))
    {
        return MidiLearnImportResult::ReadError;
    }
    // The bank image inside the chunk is little-endian, unlike the file's own header.
    const std::uint8_t* version = bytes + kChunkOffset;
    const std::int32_t bankVersion = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(version[0]) | static_cast<std::uint32_t>(version[1]) << 8 |
        static_cast<std::uint32_t>(version[2]) << 16 |
        static_cast<std::uint32_t>(version[3]) << 24);
    if (bankVersion < kFirstVersionWithTable)
    {
        return MidiLearnImportResult::OldVersion;
    }
    const std::size_t tableOffset = kChunkOffset + kBankImageBytes;
    if (!hasBytes(count, tableOffset, 0))
    {
        return MidiLearnImportResult::ReadError;
    }
    Sonarch::Parameters::ChunkReader reader(bytes + tableOffset, count - tableOffset);
    return midiLearn.read(reader) ? MidiLearnImportResult::Success
                                  : MidiLearnImportResult::ReadError;
}

MidiLearnImportResult importMidiLearn(const char* path, Sonarch::Midi::MidiLearn& midiLearn)
{
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr)
    {
        return MidiLearnImportResult::CannotOpen;
    }
    MidiLearnImportResult result = MidiLearnImportResult::ReadError;
    try
    {
        std::vector<std::uint8_t> bytes(kLongestUsefulFile);
        const std::size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
        if (std::ferror(file) == 0)
        {
            result = importMidiLearn(bytes.data(), count, midiLearn);
        }
    }
    catch (const std::bad_alloc&)
    {
        result = MidiLearnImportResult::ReadError;
    }
    std::fclose(file);
    return result;
}
