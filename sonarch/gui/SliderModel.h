// What a slider does with the mouse and with values: relative drag along its axis, reset, and the
// rectangles its thumb occupies and sweeps.
#pragma once

#include "sonarch/gui/PixelRect.h"
#include "sonarch/gui/RelativeDrag.h"

namespace Sonarch::Gui
{

enum class SliderOrientation
{
    Horizontal = 0,
    Vertical = 1
};

// The thumb's position runs from 0 to the travel in pixels along the track: the window's length
// minus the thumb's, at least 1. A horizontal slider's value is position / travel (right is the
// maximum); a vertical slider's is 1 − position / travel (the top is the maximum), so dragging
// down lowers it. A click on the track does not move the thumb; only the movement of a drag does.
class SliderModel
{
public:
    SliderModel(SliderOrientation orientation, float defaultValue);

    // Fits the travel to the window and the thumb and puts the thumb at the default. A missing
    // thumb has size 0 and travels the whole window.
    void layout(int windowWidth, int windowHeight, int thumbWidth, int thumbHeight);

    SliderOrientation getOrientation() const { return orientation; }
    float getDefault() const { return defaultValue; }
    int getTravel() const;
    float getPosition() const { return drag.getPosition(); }
    float getValue() const;

    // Shows a value from outside (never posted). Returns whether the shown value changed.
    bool setValue(float valueNorm);

    // Left button pressed at (x, y). Ctrl without Shift restores the default; returns true when
    // that changed the value. Every press starts a drag.
    bool press(unsigned keys, int x, int y);

    // The mouse moved to (x, y). Follows it only while the slider holds the capture and the left
    // button is down; returns true when the value changed.
    bool move(unsigned keys, int x, int y, bool hasCapture);

    // Where the thumb is drawn in the window: at the position truncated to whole pixels.
    PixelRect thumbRect() const;

    // The part of the window to repaint after the thumb moved between two positions: the whole
    // window across the track, and along it from the nearer truncated position to the farther
    // one plus the thumb's length.
    PixelRect sweptRect(float fromPosition, float toPosition) const;

private:
    int alongTrack(int x, int y) const
    {
        return orientation == SliderOrientation::Horizontal ? x : y;
    }
    float positionForValue(float valueNorm) const;

    SliderOrientation orientation;
    float defaultValue;
    RelativeDrag drag;
    int windowWidth = 0;
    int windowHeight = 0;
    int thumbWidth = 0;
    int thumbHeight = 0;
};

} // namespace Sonarch::Gui
