// Status texts of parameters.
#include "sonarch/gui/ParameterText.h"

#include "sonarch/midi/MidiLearn.h"
#include "sonarch/parameters/BankInterface.h"

#include <cstdio>
#include <string>

namespace Sonarch::Gui
{

namespace
{

// The bank overwrites its text buffers on the next call of the same operation, so each text is
// copied before the next is asked for; a null text is empty.
std::string copyOf(const char* text)
{
    return text != nullptr ? std::string(text) : std::string();
}

bool canWrite(const char* buffer, int size)
{
    return buffer != nullptr && size > 0;
}

} // namespace

void formatParameterHint(Parameters::BankInterface& bank, int index, char* buffer, int size)
{
    if (!canWrite(buffer, size))
    {
        return;
    }
    const std::string name = copyOf(bank.getParameterLongName(index));
    const std::string display = copyOf(bank.getParameterLongDisplay(index));
    const std::string label = copyOf(bank.getParameterLabel(index));
    std::snprintf(buffer, static_cast<std::size_t>(size), "%s: %s %s", name.c_str(),
                  display.c_str(), label.c_str());
}

void formatParameterStatus(Parameters::BankInterface& bank, const Midi::MidiLearn& midiLearn,
                           int index, char* buffer, int size)
{
    if (!canWrite(buffer, size))
    {
        return;
    }
    const std::string name = copyOf(bank.getParameterLongName(index));
    const std::string display = copyOf(bank.getParameterLongDisplay(index));
    const std::string label = copyOf(bank.getParameterLabel(index));
    const int controller = midiLearn.getController(index);
    if (controller != Midi::MidiLearn::kNone)
    {
        std::snprintf(buffer, static_cast<std::size_t>(size), "%s (CC%d)\n%s %s", name.c_str(),
                      controller, display.c_str(), label.c_str());
    }
    else
    {
        std::snprintf(buffer, static_cast<std::size_t>(size), "%s\n%s %s", name.c_str(),
                      display.c_str(), label.c_str());
    }
}

} // namespace Sonarch::Gui
