// The bank of programs: stored values, program selection, texts and chunks.
#include "instrument/TavrelBank.h"

#include "instrument/ParameterNames.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

using Sonarch::Parameters::ChunkReader;
using Sonarch::Parameters::ChunkWriter;

namespace
{

// Clears the whole 128-byte field before copying, so that no bytes of an earlier, longer text
// linger behind the terminator and chunks depend on the current texts only. At most 127
// characters are copied; a text without a zero in its first 127 bytes is cut there.
void storeText(char* field, const char* text)
{
    std::memset(field, 0, kBankTextBytes);
    copyText(field, text, kBankTextBytes);
}

// Takes name and values from a stored record; version and identifier are not kept.
void takeNameAndValues(ProgramRecord& record, const ProgramRecord& stored)
{
    // The stored name may lack a terminator: storeText reads at most its first 127 bytes.
    storeText(record.name, stored.name);
    std::copy(std::begin(stored.values), std::end(stored.values), std::begin(record.values));
}

} // namespace

TavrelBank::TavrelBank(IProgrammable* synthesizer)
    : synth(synthesizer), image{}, currentProgram(0),
      longNames(kParameterLongNames), name{}, label{}, display{}, longDisplay{}
{
    image.version = kChunkVersion;
    storeText(image.identifier, kBankIdentifier);
    for (ProgramRecord& record : image.programs)
    {
        record.version = kChunkVersion;
        storeText(record.identifier, kProgramIdentifier);
        storeText(record.name, kUnnamedProgram);
    }
    fillFromSynthesizer();
}

void TavrelBank::fillFromSynthesizer()
{
    // Each value is routed through the collection once, then copied into all 128 programs.
    const int count = getParameterCount();
    float values[kProgramValueSlots] = {};
    for (int i = 0; i < count; ++i)
    {
        values[i] = synth->getValue(i);
    }
    for (ProgramRecord& record : image.programs)
    {
        for (int i = 0; i < count; ++i)
        {
            record.values[i] = values[i];
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
    ProgramRecord stored;
    if (!readProgramRecord(reader, stored))
    {
        return false;
    }
    takeNameAndValues(image.programs[currentProgram], stored);
    applyCurrentProgram();
    return true;
}

void TavrelBank::getProgramChunk(ChunkWriter& writer)
{
    writeProgramRecord(writer, image.programs[currentProgram]);
}

bool TavrelBank::setBankChunk(ChunkReader& reader)
{
    const auto stored = std::make_unique<BankImage>();
    if (!readBankImage(reader, *stored))
    {
        return false;
    }
    for (int p = 0; p < kBankProgramSlots; ++p)
    {
        takeNameAndValues(image.programs[p], stored->programs[p]);
    }
    applyCurrentProgram();
    return true;
}

void TavrelBank::getBankChunk(ChunkWriter& writer)
{
    writeBankImage(writer, image);
}
