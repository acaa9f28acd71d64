// The MIDI-learn table as a bank chunk carries it, and the import from bank files: whatever the
// bytes, only parameters that exist are bound, each to one controller, and the import gives one
// of its six results.
#include "instrument/MidiLearnImport.h"
#include "instrument/TavrelSynth.h"
#include "sonarch/midi/MidiLearn.h"
#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/ChunkReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{

void checkBindings(Sonarch::Midi::MidiLearn& table, int parameterCount)
{
    int bound = 0;
    for (int controller = 0; controller < Sonarch::Midi::MidiLearn::kControllerCount; ++controller)
    {
        for (int i = 0; i < table.getBindingCount(controller); ++i)
        {
            const int parameter = table.getBoundParameter(controller, i);
            if (parameter < 0 || parameter >= parameterCount ||
                table.getController(parameter) != controller)
            {
                std::fprintf(stderr, "controller %d binds parameter %d\n", controller, parameter);
                std::abort();
            }
            ++bound;
        }
    }
    if (bound > parameterCount)
    {
        std::fprintf(stderr, "%d bindings for %d parameters\n", bound, parameterCount);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::unique_ptr<TavrelSynth> synth = std::make_unique<TavrelSynth>();
    Sonarch::Midi::MidiLearn& table = *synth->getMidiLearn();
    const int parameterCount = synth->getBank()->getParameterCount();

    // The table alone, as the bank chunk carries it after the image.
    Sonarch::Parameters::ChunkReader reader(data, size);
    table.read(reader);
    checkBindings(table, parameterCount);

    // The same bytes as a bank file: header, image, table.
    const MidiLearnImportResult result = importMidiLearn(data, size, table);
    if (static_cast<int>(result) < 0 || static_cast<int>(result) > 5)
    {
        std::abort();
    }
    checkBindings(table, parameterCount);
    return 0;
}
