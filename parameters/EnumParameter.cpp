// An integer that selects one item of a table of texts.
#include "parameters/EnumParameter.h"

#include "base/TextField.h"

EnumParameter::EnumParameter(const char* prefix, const char* parameterName, const char* unitLabel,
                             float defaultNorm, int maxValue, const char* const* itemTexts,
                             const char* const* longItemTexts)
    : IntegerParameter(prefix, parameterName, unitLabel, defaultNorm, 0, maxValue),
      items(itemTexts), longItems(longItemTexts)
{
    update();
}

void EnumParameter::update()
{
    IntegerParameter::update();
    const int index = intValue;
    if (index < 0)
    {
        intValue = 0;
    }
    else if (index > range)
    {
        intValue = range;
    }
}

void EnumParameter::getDisplay(char* text) const
{
    copyShortText(text, items[getInt()]);
}

void EnumParameter::getLongDisplay(char* text) const
{
    const char* const* table = longItems != nullptr ? longItems : items;
    copyText(text, table[getInt()], kLongTextSize);
}
