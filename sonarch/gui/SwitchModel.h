// What a two-way switch does with values and clicks.
#pragma once

namespace Sonarch::Gui
{

// The switch keeps the value it was given (0.3 stays 0.3) and shows on from 0.5 up. A click turns
// it to 1 when it showed off and to 0 when it showed on; Ctrl+click restores the default, and
// changes nothing visible (and posts nothing) when the default shows the same state.
class SwitchModel
{
public:
    static constexpr int kFrameCount = 2;

    explicit SwitchModel(float defaultValue);

    float getDefault() const { return defaultValue; }
    float getValue() const { return value; }
    bool isOn() const { return value >= 0.5f; }
    // Frame 0 shows off, frame 1 on.
    int getFrame() const;

    // Shows a value from outside (never posted). Returns whether it differs from the value kept.
    bool setValue(float valueNorm);

    // A left click with the key state; returns true when the change is to be shown and posted.
    bool click(unsigned keys);

private:
    float defaultValue;
    float value;
};

} // namespace Sonarch::Gui
