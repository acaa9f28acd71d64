// The arithmetic of a relative mouse drag: mouse pixels moved to a position along a travel.
#pragma once

namespace Sonarch::Gui
{

// Which way of mouse movement raises the position.
enum class DragDirection
{
    AlongCoordinate,  // right or down raises it (sliders)
    AgainstCoordinate // up raises it (knobs, whose y grows downwards)
};

// The position is a float from 0 to the travel in pixels, so a slow fine drag accumulates
// fractions of a pixel. Each step moves it by the mouse's movement since the last step, times the
// speed of the keys held: 1, 0.1 with Shift, 0.01 with Shift and Ctrl. The pointer's absolute place
// does not matter; only its movement does, and the position never leaves 0 … travel.
class RelativeDrag
{
public:
    static constexpr float kShiftSpeed = 0.1f;
    static constexpr float kShiftControlSpeed = 0.01f;

    RelativeDrag(float travelPixels, DragDirection direction);

    float getTravel() const { return travelPixels; }
    // At least one pixel; the position is clamped into the new travel.
    void setTravel(float newTravelPixels);

    float getPosition() const { return positionPixels; }
    // Clamped to 0 … travel; NaN goes to 0.
    void setPosition(float newPositionPixels);

    // Pixels of position per pixel of mouse movement for a key state.
    static float speed(unsigned keys);

    // Remembers the mouse coordinate along the travel where the drag starts.
    void begin(int coordinate) { lastCoordinate = coordinate; }
    // Moves the position by the movement since the last step and remembers the coordinate.
    void follow(unsigned keys, int coordinate);

private:
    float travelPixels;
    DragDirection direction;
    float positionPixels = 0.0f;
    int lastCoordinate = 0;
};

} // namespace Sonarch::Gui
