// The face through which a component, a collection or the whole synthesizer exposes parameters.
#pragma once

// Parameters are addressed by index 0 .. getParameterCount() - 1. Implementations ignore an
// index outside that range: writes do nothing, reads give 0 and texts are left untouched.
// getName, getLabel and getDisplay fill 8-byte fields; getLongDisplay fills a 24-byte field.
// setValue may run on the audio thread (MIDI learn) and must not allocate or block for long.
class IProgrammable
{
public:
    virtual ~IProgrammable() = default;
    virtual void resetParameter(int index) = 0;
    virtual float getValue(int index) const = 0;
    virtual void setValue(int index, float value) = 0;
    virtual void getName(int index, char* text) const = 0;
    virtual void getLabel(int index, char* text) const = 0;
    virtual void getDisplay(int index, char* text) const = 0;
    virtual void getLongDisplay(int index, char* text) const = 0;
    virtual int getParameterCount() const = 0;
};
