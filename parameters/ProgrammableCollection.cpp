// Routing of flat parameter indexes to the children of a collection.
#include "parameters/ProgrammableCollection.h"

void ProgrammableCollection::append(IProgrammable* child)
{
    if (child != nullptr)
    {
        children.push_back(child);
        total += child->getParameterCount();
    }
}

IProgrammable* ProgrammableCollection::route(int index, int& local) const
{
    if (index < 0 || index >= total)
    {
        return nullptr;
    }
    local = index;
    for (IProgrammable* child : children)
    {
        const int count = child->getParameterCount();
        if (local < count)
        {
            return child;
        }
        local -= count;
    }
    return nullptr;
}

void ProgrammableCollection::resetParameter(int index)
{
    int local = 0;
    if (IProgrammable* child = route(index, local))
    {
        child->resetParameter(local);
    }
}

float ProgrammableCollection::getValue(int index) const
{
    int local = 0;
    IProgrammable* child = route(index, local);
    return child != nullptr ? child->getValue(local) : 0.0f;
}

void ProgrammableCollection::setValue(int index, float value)
{
    int local = 0;
    if (IProgrammable* child = route(index, local))
    {
        child->setValue(local, value);
    }
}

void ProgrammableCollection::getName(int index, char* text) const
{
    int local = 0;
    if (IProgrammable* child = route(index, local))
    {
        child->getName(local, text);
    }
}

void ProgrammableCollection::getLabel(int index, char* text) const
{
    int local = 0;
    if (IProgrammable* child = route(index, local))
    {
        child->getLabel(local, text);
    }
}

void ProgrammableCollection::getDisplay(int index, char* text) const
{
    int local = 0;
    if (IProgrammable* child = route(index, local))
    {
        child->getDisplay(local, text);
    }
}

void ProgrammableCollection::getLongDisplay(int index, char* text) const
{
    int local = 0;
    if (IProgrammable* child = route(index, local))
    {
        child->getLongDisplay(local, text);
    }
}
