// Passing parameter operations on to the programmables that hold them.
#include "parameters/ForwardingProgrammable.h"

IProgrammable* ForwardingProgrammable::reader(int index, int& local) const
{
    const std::span<IProgrammable* const> holders = route(index, local);
    return holders.empty() ? nullptr : holders.front();
}

void ForwardingProgrammable::resetParameter(int index)
{
    int local = 0;
    for (IProgrammable* holder : route(index, local))
    {
        holder->resetParameter(local);
    }
}

float ForwardingProgrammable::getValue(int index) const
{
    int local = 0;
    const IProgrammable* holder = reader(index, local);
    return holder != nullptr ? holder->getValue(local) : 0.0f;
}

void ForwardingProgrammable::setValue(int index, float value)
{
    int local = 0;
    for (IProgrammable* holder : route(index, local))
    {
        holder->setValue(local, value);
    }
}

void ForwardingProgrammable::getText(int index, char* text, TextGetter getter) const
{
    int local = 0;
    if (const IProgrammable* holder = reader(index, local))
    {
        (holder->*getter)(local, text);
    }
}
