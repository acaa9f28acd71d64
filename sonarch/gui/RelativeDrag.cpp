// Relative drag arithmetic.
#include "sonarch/gui/RelativeDrag.h"

#include "sonarch/gui/MouseKeys.h"

#include <algorithm>

namespace Sonarch::Gui
{

RelativeDrag::RelativeDrag(float travelPixelsIn, DragDirection directionIn)
    : travelPixels(travelPixelsIn >= 1.0f ? travelPixelsIn : 1.0f), direction(directionIn)
{
}

void RelativeDrag::setTravel(float newTravelPixels)
{
    travelPixels = newTravelPixels >= 1.0f ? newTravelPixels : 1.0f;
    setPosition(positionPixels);
}

void RelativeDrag::setPosition(float newPositionPixels)
{
    positionPixels = newPositionPixels > 0.0f ? std::min(newPositionPixels, travelPixels) : 0.0f;
}

float RelativeDrag::speed(unsigned keys)
{
    if ((keys & kKeyShift) == 0)
    {
        return 1.0f;
    }
    return (keys & kKeyControl) != 0 ? kShiftControlSpeed : kShiftSpeed;
}

void RelativeDrag::follow(unsigned keys, int coordinate)
{
    // Mouse coordinates are 16-bit on every platform, so the difference is exact in a float.
    const long long moved = direction == DragDirection::AlongCoordinate
                                ? static_cast<long long>(coordinate) - lastCoordinate
                                : static_cast<long long>(lastCoordinate) - coordinate;
    lastCoordinate = coordinate;
    setPosition(positionPixels + static_cast<float>(moved) * speed(keys));
}

} // namespace Sonarch::Gui
