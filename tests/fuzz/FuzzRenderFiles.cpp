// The render tool's readers: Standard MIDI Files and .fxp/.fxb presets. Whatever the bytes, they
// answer with a song or preset, or with a message, and what they accept holds together.
#include "tools/render/FxPreset.h"
#include "tools/render/MidiSong.h"
#include "tools/render/SmfReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::string error;

    MidiSong song;
    if (SmfReader::read(bytes, song, error))
    {
        for (std::size_t i = 1; i < song.events.size(); ++i)
        {
            if (song.events[i].tick < song.events[i - 1].tick)
            {
                std::abort(); // events come in time order
            }
        }
    }
    else if (error.empty())
    {
        std::abort(); // a refusal always says why
    }

    error.clear();
    FxBank bank;
    if (FxPreset::readBank(bytes, bank, error))
    {
        // An accepted bank writes back and reads again to the same records.
        FxBank again;
        if (!FxPreset::readBank(FxPreset::writeBank(bank), again, error) ||
            again.programs.size() != bank.programs.size() || again.chunk != bank.chunk)
        {
            std::abort();
        }
    }
    else if (error.empty())
    {
        std::abort();
    }

    error.clear();
    FxProgram program;
    std::size_t used = 0;
    if (FxPreset::readProgram(data, size, program, error, &used))
    {
        if (used > size)
        {
            std::abort();
        }
        for (float value : program.params)
        {
            if (!(value >= 0.0f && value <= 1.0f))
            {
                std::abort(); // values outside 0..1 are refused, never passed on
            }
        }
    }
    else if (error.empty())
    {
        std::abort();
    }
    return 0;
}
