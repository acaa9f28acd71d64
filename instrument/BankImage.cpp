// Writing the stored form of programs and of the bank.
#include "instrument/BankImage.h"

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
