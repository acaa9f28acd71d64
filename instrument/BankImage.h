// The stored form of the bank: one record per program and the image of all 128, with its readers
// and writers and the constants of the layout.
#pragma once

#include "base/Relaxed.h"
#include "sonarch/parameters/ChunkReader.h"
#include "sonarch/parameters/ChunkWriter.h"

#include <cstddef>
#include <cstdint>

// Field sizes of the stored form, in bytes or slots.
constexpr int kBankTextBytes = 128;
constexpr int kProgramValueSlots = 128;
constexpr int kBankProgramSlots = 128;
constexpr int kProgramRecordBytes = 772;
constexpr int kBankImageBytes = 98948;

// The version at the head of the image and of every record this plug-in writes, and the plug-in's
// own version: a host's bank or program file from a later version is refused.
constexpr std::int32_t kChunkVersion = 1510;
// Bank chunks from this version on carry the MIDI-learn table after the image; older ones (the
// factory bank's 1000) end with the image.
constexpr std::int32_t kFirstVersionWithMidiLearn = 1500;
// The identifiers written into the image and its records, and the name of a program never named.
constexpr const char* kBankIdentifier = "Tavrel Bank";
constexpr const char* kProgramIdentifier = "Tavrel Program";
constexpr const char* kUnnamedProgram = "Blank";

// One program: 4 + 128 + 128 + 128 x 4 = 772 bytes. In a chunk every integer and float is
// little-endian whatever the target, so chunks are written and read field by field; the struct
// only mirrors the layout. Texts are zero-terminated within their 128 bytes (at most 127
// characters). Value slots past the synthesizer's parameter count belong to no parameter.
struct ProgramRecord
{
    std::int32_t version;
    char identifier[kBankTextBytes];
    char name[kBankTextBytes];
    // Normalised parameter values by parameter index. MIDI learn writes the current program's
    // values on the audio thread while the user-interface thread may load, apply or save the
    // programs: each value is read and written whole, and the last writer wins.
    Relaxed<float> values[kProgramValueSlots];
};

// The bank: 4 + 128 + 128 x 772 = 98948 bytes, program 0 first.
struct BankImage
{
    std::int32_t version;
    char identifier[kBankTextBytes];
    ProgramRecord programs[kBankProgramSlots];
};

static_assert(sizeof(float) == 4 && sizeof(Relaxed<float>) == 4,
              "values are stored as 32-bit floats");
static_assert(sizeof(ProgramRecord) == kProgramRecordBytes);
static_assert(offsetof(ProgramRecord, version) == 0);
static_assert(offsetof(ProgramRecord, identifier) == 4);
static_assert(offsetof(ProgramRecord, name) == 132);
static_assert(offsetof(ProgramRecord, values) == 260);
static_assert(sizeof(BankImage) == kBankImageBytes);
static_assert(offsetof(BankImage, version) == 0);
static_assert(offsetof(BankImage, identifier) == 4);
static_assert(offsetof(BankImage, programs) == 132);

// Appends a record or the whole image in the stored form: little-endian, field by field.
void writeProgramRecord(Sonarch::Parameters::ChunkWriter& writer, const ProgramRecord& record);
void writeBankImage(Sonarch::Parameters::ChunkWriter& writer, const BankImage& image);
// Reads a record or the whole image as the writers above wrote it, field by field. When fewer
// bytes remain than the stored form takes, nothing is read and the result is false. Texts are
// taken as stored: a field need not hold a terminator.
bool readProgramRecord(Sonarch::Parameters::ChunkReader& reader, ProgramRecord& record);
bool readBankImage(Sonarch::Parameters::ChunkReader& reader, BankImage& image);
