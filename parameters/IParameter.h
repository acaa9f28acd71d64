// One normalised 0..1 setting with its short name, unit label and display text.
#pragma once

// Writers: the host, the editor and MIDI learn, through the bank (any of three threads). The audio
// thread reads the typed value through the concrete class. Text operations write at most 7
// characters and a terminator into an 8-byte field.
class IParameter
{
public:
    virtual ~IParameter() = default;
    virtual void resetToDefault() = 0;
    virtual float getValue() const = 0;
    virtual void setValue(float value) = 0;
    virtual void getName(char* text) const = 0;
    virtual void getLabel(char* text) const = 0;
    virtual void getDisplay(char* text) const = 0;
};
