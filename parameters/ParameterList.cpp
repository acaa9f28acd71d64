// IProgrammable over a component's own parameters.
#include "parameters/ParameterList.h"

#include "base/TextField.h"

#include <cassert>

void ParameterList::addParameter(IParameter& parameter)
{
    assert(listed < kMaxParameters);
    if (listed < kMaxParameters)
    {
        parameters[listed++] = &parameter;
    }
}

void ParameterList::resetParameter(int index)
{
    if (isIndex(index))
    {
        parameters[index]->resetToDefault();
        if (reactsToReset)
        {
            parameterChanged(index);
        }
    }
}

float ParameterList::getValue(int index) const
{
    return isIndex(index) ? parameters[index]->getValue() : 0.0f;
}

void ParameterList::setValue(int index, float value)
{
    if (isIndex(index))
    {
        parameters[index]->setValue(value);
        parameterChanged(index);
    }
}

void ParameterList::getName(int index, char* text) const
{
    if (isIndex(index))
    {
        parameters[index]->getName(text);
    }
}

void ParameterList::getLabel(int index, char* text) const
{
    if (isIndex(index))
    {
        parameters[index]->getLabel(text);
    }
}

void ParameterList::getDisplay(int index, char* text) const
{
    if (isIndex(index))
    {
        parameters[index]->getDisplay(text);
    }
}

void ParameterList::getLongDisplay(int index, char* text) const
{
    if (isIndex(index))
    {
        // Through the component's own getDisplay, so that a component whose display texts differ
        // from its parameters' (shadow parameters while synced) shows the same in both.
        char shortText[kShortTextSize] = {};
        getDisplay(index, shortText);
        copyText(text, shortText, kLongTextSize);
    }
}
