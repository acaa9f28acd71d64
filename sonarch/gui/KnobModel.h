// What a knob does with the mouse and with values: vertical relative drag, reset, frame choice.
#pragma once

#include "sonarch/gui/RelativeDrag.h"

namespace Sonarch::Gui
{

// The knob's value is its position over a travel of 207 pixels of vertical mouse movement: moving
// up raises it. The platform layer captures the mouse on every press, releases it on the button's
// release, repaints when an operation reports a change and then posts getValue() to the parent.
class KnobModel
{
public:
    static constexpr float kTravelPixels = 207.0f;
    static constexpr int kFrameCount = 91;

    explicit KnobModel(float defaultValue);

    float getDefault() const { return defaultValue; }
    float getValue() const { return drag.getPosition() / kTravelPixels; }
    float getPosition() const { return drag.getPosition(); }

    // Shows a value from outside (never posted). Returns whether the shown value changed.
    bool setValue(float valueNorm);

    // The strip frame that shows the value: frame 0 at 0, 45 at 0.5, the last frame at 1.
    int getFrame() const;

    // Left button pressed at y. Ctrl without Shift restores the default; returns true when that
    // changed the value. Every press starts a drag from y.
    bool press(unsigned keys, int y);

    // The mouse moved to y. Follows it only while the knob holds the capture and the left button is
    // down; returns true when the value changed.
    bool move(unsigned keys, int y, bool hasCapture);

private:
    float defaultValue;
    RelativeDrag drag;
};

} // namespace Sonarch::Gui
