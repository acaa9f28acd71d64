// The text of a status label: a fixed buffer of 1024 characters.
#pragma once

namespace Sonarch::Gui
{

class LabelText
{
public:
    static constexpr int kCapacity = 1024;

    // Keeps at most 1023 characters of text and a terminator; null is the empty text.
    void set(const char* text);
    const char* get() const { return text; }

private:
    char text[kCapacity] = {};
};

} // namespace Sonarch::Gui
