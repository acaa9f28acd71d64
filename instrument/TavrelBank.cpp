// The bank of programs: stored values, program selection, texts and chunks.
#include "instrument/TavrelBank.h"

#include "instrument/ParameterNames.h"

#include <cstring>
#include <vector>

using Sonarch::Parameters::ChunkReader;
using Sonarch::Parameters::ChunkWriter;

namespace
{

// Byte offsets inside a stored program record.
constexpr int kRecordNameOffset = 132;
constexpr int kRecordValuesOffset = 260;
// Byte offset of the first program record inside the bank image.
constexpr int kImageProgramsOffset = 132;

// Clears the whole 128-byte field before copying, so that no bytes of an earlier, longer text
// linger behind the terminator and chunks depend on the current texts only. At most 127
// characters are copied; a text without a zero in its first 127 bytes is cut there.
void storeText(char* field, const char* text)
{
    std::memset(field, 0, kBankTextBytes);
    copyText(field, text, kBankTextBytes);
}

float readFloat32(const std::uint8_t* bytes)
{
    const std::uint32_t bits =
        static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
        (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

// Takes name and values from a stored record; version and identifier are not kept.
void loadRecord(ProgramRecord& record, const std::uint8_t* bytes)
{
    // The field may lack a terminator: storeText reads at most its first 127 bytes.
    storeText(record.name, reinterpret_cast<const char*>(bytes + kRecordNameOffset));
    for (int i = 0; i < kProgramValueSlots; ++i)
    {
        record.values[i] = readFloat32(bytes + kRecordValuesOffset + 4 * i);
    }
}

} // namespace

TavrelBank::TavrelBank(IProgrammable* synthesizer)
    : synth(synthesizer), image{}, currentProgram(0),
      longNames(kParameterLongNames), name{}, label{}, display{}, longDisplay{}
{
    image.version = kVersion;
    storeText(image.identifier, kBankIdentifier);
    for (ProgramRecord& record : image.programs)
    {
        record.version = kVersion;
        storeText(record.identifier, kProgramIdentifier);
        storeText(record.name, kInitialProgramName);
    }
    fillFromSynthesizer();
}

void TavrelBank::fillFromSynthesizer()
{
    const int count = getParameterCount();
    for (ProgramRecord& record : image.programs)
    {
        for (int i = 0; i < count; ++i)
        {
            record.values[i] = synth->getValue(i);
        }
    }
}

bool TavrelBank::isParameter(int index)
{
    return index >= 0 && index < getParameterCount();
}

int TavrelBank::getParameterCount()
{
    const int count = synth->getParameterCount();
    if (count < 0)
    {
        return 0;
    }
    return count < kProgramValueSlots ? count : kProgramValueSlots;
}

void TavrelBank::applyCurrentProgram()
{
    const ProgramRecord& record = image.programs[currentProgram];
    for (int i = 0; i < getParameterCount(); ++i)
    {
        synth->setValue(i, record.values[i]);
    }
}

void TavrelBank::setCurrentProgram(int program)
{
    if (!isProgram(program))
    {
        return;
    }
    currentProgram = program;
    applyCurrentProgram();
}

const char* TavrelBank::getProgramName(int program)
{
    return isProgram(program) ? image.programs[program].name : "";
}

const char* TavrelBank::getCurrentProgramName()
{
    return image.programs[currentProgram].name;
}

void TavrelBank::setProgramName(int program, const char* programName)
{
    if (isProgram(program))
    {
        storeText(image.programs[program].name, programName);
    }
}

void TavrelBank::setCurrentProgramName(const char* programName)
{
    storeText(image.programs[currentProgram].name, programName);
}

int TavrelBank::findParameter(const char* shortName)
{
    const int count = getParameterCount();
    if (shortName == nullptr)
    {
        return count;
    }
    for (int i = 0; i < count; ++i)
    {
        char candidate[kShortTextSize] = {};
        synth->getName(i, candidate);
        candidate[kShortTextSize - 1] = '\0';
        if (std::strncmp(candidate, shortName, kShortTextSize) == 0)
        {
            return i;
        }
    }
    return count;
}

const char* TavrelBank::getParameterName(int index)
{
    name[0] = '\0';
    if (isParameter(index))
    {
        synth->getName(index, name);
        name[kShortTextSize - 1] = '\0';
    }
    return name;
}

const char* TavrelBank::getParameterLongName(int index)
{
    if (isParameter(index) && index < kParameterLongNameCount)
    {
        return longNames[index];
    }
    return "";
}

const char* TavrelBank::getParameterLabel(int index)
{
    label[0] = '\0';
    if (isParameter(index))
    {
        synth->getLabel(index, label);
        label[kShortTextSize - 1] = '\0';
    }
    return label;
}

float TavrelBank::getParameter(int program, int index)
{
    if (!isProgram(program) || !isParameter(index))
    {
        return 0.0f;
    }
    return image.programs[program].values[index];
}

float TavrelBank::getParameter(int index)
{
    return isParameter(index) ? synth->getValue(index) : 0.0f;
}

void TavrelBank::setParameter(int program, int index, float value)
{
    if (!isProgram(program) || !isParameter(index))
    {
        return;
    }
    image.programs[program].values[index] = value;
    if (program == currentProgram)
    {
        synth->setValue(index, value);
    }
}

void TavrelBank::setParameter(int index, float value)
{
    if (!isParameter(index))
    {
        return;
    }
    synth->setValue(index, value);
    image.programs[currentProgram].values[index] = value;
}

const char* TavrelBank::getParameterDisplay(int index)
{
    display[0] = '\0';
    if (isParameter(index))
    {
        synth->getDisplay(index, display);
        display[kShortTextSize - 1] = '\0';
    }
    return display;
}

const char* TavrelBank::getParameterLongDisplay(int index)
{
    longDisplay[0] = '\0';
    if (isParameter(index))
    {
        synth->getLongDisplay(index, longDisplay);
        longDisplay[kLongTextSize - 1] = '\0';
    }
    return longDisplay;
}

bool TavrelBank::setProgramChunk(ChunkReader& reader)
{
    if (reader.getRemaining() < static_cast<std::size_t>(kProgramRecordBytes))
    {
        return false;
    }
    std::uint8_t bytes[kProgramRecordBytes];
    reader.read(bytes, sizeof(bytes));
    loadRecord(image.programs[currentProgram], bytes);
    applyCurrentProgram();
    return true;
}

void TavrelBank::getProgramChunk(ChunkWriter& writer)
{
    writeProgramRecord(writer, image.programs[currentProgram]);
}

bool TavrelBank::setBankChunk(ChunkReader& reader)
{
    if (reader.getRemaining() < static_cast<std::size_t>(kBankImageBytes))
    {
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kBankImageBytes));
    reader.read(bytes.data(), bytes.size());
    for (int p = 0; p < kBankProgramSlots; ++p)
    {
        loadRecord(image.programs[p],
                   bytes.data() + kImageProgramsOffset + kProgramRecordBytes * p);
    }
    applyCurrentProgram();
    return true;
}

void TavrelBank::getBankChunk(ChunkWriter& writer)
{
    writeBankImage(writer, image);
}
