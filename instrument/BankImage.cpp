// Writing and reading the stored form of programs and of the bank.
#include "instrument/BankImage.h"

using Sonarch::Parameters::ChunkReader;
using Sonarch::Parameters::ChunkWriter;

void writeProgramRecord(ChunkWriter& writer, const ProgramRecord& record)
{
    writer.appendInt32(record.version);
    writer.append(record.identifier, kBankTextBytes);
    writer.append(record.name, kBankTextBytes);
    for (const float value : record.values)
    {
        writer.appendFloat32(value);
    }
}

void writeBankImage(ChunkWriter& writer, const BankImage& image)
{
    writer.appendInt32(image.version);
    writer.append(image.identifier, kBankTextBytes);
    for (const ProgramRecord& record : image.programs)
    {
        writeProgramRecord(writer, record);
    }
}

namespace
{
// The fields of a record, in the order written; the caller has checked that they all remain.
void readRecordFields(ChunkReader& reader, ProgramRecord& record)
{
    reader.readInt32(record.version);
    reader.read(record.identifier, kBankTextBytes);
    reader.read(record.name, kBankTextBytes);
    for (Relaxed<float>& value : record.values)
    {
        float stored = 0.0f;
        reader.readFloat32(stored);
        value = stored;
    }
}
} // namespace

bool readProgramRecord(ChunkReader& reader, ProgramRecord& record)
{
    if (reader.getRemaining() < static_cast<std::size_t>(kProgramRecordBytes))
    {
        return false;
    }
    readRecordFields(reader, record);
    return true;
}

bool readBankImage(ChunkReader& reader, BankImage& image)
{
    if (reader.getRemaining() < static_cast<std::size_t>(kBankImageBytes))
    {
        return false;
    }
    reader.readInt32(image.version);
    reader.read(image.identifier, kBankTextBytes);
    for (ProgramRecord& record : image.programs)
    {
        readRecordFields(reader, record);
    }
    return true;
}
