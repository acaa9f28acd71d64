// Assembles the built-in factory bank from its source data.
#include "instrument/FactoryBankImage.h"

#include "base/TextField.h"
#include "instrument/BankImage.h"
#include "instrument/FactoryBank.h"
#include "instrument/TavrelBank.h"
#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/ChunkWriter.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

std::vector<std::uint8_t> buildFactoryBankImage(Sonarch::Parameters::BankInterface& bank)
{
    auto image = std::make_unique<BankImage>(); // value-initialised: every field zero
    image->version = kFactoryBankVersion;
    copyText(image->identifier, kBankIdentifier, kBankTextBytes);

    const int parameterCount = bank.getParameterCount();
    float defaults[kProgramValueSlots] = {};
    for (int index = 0; index < parameterCount && index < kProgramValueSlots; ++index)
    {
        defaults[index] = bank.getParameter(index);
    }

    const FactoryProgram* programs = factoryPrograms();
    const int programCount = factoryProgramCount();
    for (int p = 0; p < kBankProgramSlots; ++p)
    {
        ProgramRecord& record = image->programs[p];
        record.version = kFactoryBankVersion;
        copyText(record.identifier, kProgramIdentifier, kBankTextBytes);
        std::copy(std::begin(defaults), std::end(defaults), std::begin(record.values));
        if (p >= programCount)
        {
            copyText(record.name, kUnnamedProgram, kBankTextBytes);
            continue;
        }
        copyText(record.name, programs[p].name, kBankTextBytes);
        for (int s = 0; s < programs[p].settingCount; ++s)
        {
            const FactorySetting& setting = programs[p].settings[s];
            const int index = bank.findParameter(setting.shortName);
            if (index >= 0 && index < parameterCount && index < kProgramValueSlots)
            {
                record.values[index] = setting.value;
            }
        }
    }

    Sonarch::Parameters::ChunkWriter writer(kBankImageBytes);
    writeBankImage(writer, *image);
    return std::vector<std::uint8_t>(writer.getData(), writer.getData() + writer.getLength());
}
