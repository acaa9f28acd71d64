// An IProgrammable whose parameters live in other programmables: each operation is passed on.
#pragma once

#include "parameters/IProgrammable.h"

#include <span>

// A derived class names, for a flat index, the programmables that hold it and the index local to
// them. A write or reset reaches each of them in that order; a read asks the first. An index that
// no programmable holds is ignored: writes do nothing, reads give 0, texts are left untouched.
// getParameterCount stays with the derived class.
class ForwardingProgrammable : public IProgrammable
{
public:
    void resetParameter(int index) override;
    float getValue(int index) const override;
    void setValue(int index, float value) override;
    void getName(int index, char* text) const override
    {
        getText(index, text, &IProgrammable::getName);
    }
    void getLabel(int index, char* text) const override
    {
        getText(index, text, &IProgrammable::getLabel);
    }
    void getDisplay(int index, char* text) const override
    {
        getText(index, text, &IProgrammable::getDisplay);
    }
    void getLongDisplay(int index, char* text) const override
    {
        getText(index, text, &IProgrammable::getLongDisplay);
    }

protected:
    // The holders of index (empty if none) and, when there are any, the local index in local.
    // Runs on every operation's thread, MIDI learn's audio thread too: no allocation, no lock.
    virtual std::span<IProgrammable* const> route(int index, int& local) const = 0;

private:
    using TextGetter = void (IProgrammable::*)(int, char*) const;

    // The first holder of index, or null.
    IProgrammable* reader(int index, int& local) const;
    // One of the text reads, from the first holder; the field stays untouched when none holds it.
    void getText(int index, char* text, TextGetter getter) const;
};
