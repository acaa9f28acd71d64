// The recording parameter space of the bank and MIDI-learn tests.
#include "tests/support/TestProgrammable.h"

#include "base/TextField.h"

#include <cmath>
#include <cstdio>

TestProgrammable::TestProgrammable(int parameterCount)
    : values(static_cast<std::size_t>(parameterCount), 0.0f),
      names(static_cast<std::size_t>(parameterCount))
{
    for (int i = 0; i < parameterCount; ++i)
    {
        values[static_cast<std::size_t>(i)] = static_cast<float>(i % 10) * 0.1f;
        char text[16];
        std::snprintf(text, sizeof(text), "P%d", i);
        names[static_cast<std::size_t>(i)] = text;
    }
    if (parameterCount > 36)
    {
        names[36] = "F Cut";
    }
}

bool TestProgrammable::check(int index) const
{
    if (index >= 0 && index < getParameterCount())
    {
        return true;
    }
    ++invalidIndexCalls;
    return false;
}

void TestProgrammable::resetParameter(int index)
{
    if (check(index))
    {
        values[static_cast<std::size_t>(index)] = 0.0f;
    }
}

float TestProgrammable::getValue(int index) const
{
    return check(index) ? values[static_cast<std::size_t>(index)] : 0.0f;
}

void TestProgrammable::setValue(int index, float value)
{
    if (!check(index))
    {
        return;
    }
    writes.emplace_back(index, value);
    if (index == kQuantisedIndex)
    {
        const auto steps =
            static_cast<float>(std::lround(value * static_cast<float>(kQuantisedSteps)));
        value = steps / static_cast<float>(kQuantisedSteps);
    }
    values[static_cast<std::size_t>(index)] = value;
}

void TestProgrammable::getName(int index, char* text) const
{
    if (check(index))
    {
        copyShortText(text, names[static_cast<std::size_t>(index)].c_str());
    }
}

void TestProgrammable::getLabel(int index, char* text) const
{
    if (check(index))
    {
        char full[16];
        std::snprintf(full, sizeof(full), "u%d", index);
        copyShortText(text, full);
    }
}

void TestProgrammable::getDisplay(int index, char* text) const
{
    if (check(index))
    {
        std::snprintf(text, kShortTextSize, "%.3f",
                      static_cast<double>(values[static_cast<std::size_t>(index)]));
    }
}

void TestProgrammable::getLongDisplay(int index, char* text) const
{
    if (check(index))
    {
        std::snprintf(text, kLongTextSize, "long %d", index);
    }
}
