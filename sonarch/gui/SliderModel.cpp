// Slider behaviour.
#include "sonarch/gui/SliderModel.h"

#include "sonarch/gui/MouseKeys.h"
#include "sonarch/gui/NormalisedValue.h"

#include <algorithm>

namespace Sonarch::Gui
{

SliderModel::SliderModel(SliderOrientation orientationIn, float defaultValueIn)
    : orientation(orientationIn), defaultValue(clampNormalised(defaultValueIn)),
      drag(1.0f, DragDirection::AlongCoordinate)
{
    drag.setPosition(positionForValue(defaultValue));
}

void SliderModel::layout(int windowWidthIn, int windowHeightIn, int thumbWidthIn, int thumbHeightIn)
{
    windowWidth = std::max(windowWidthIn, 0);
    windowHeight = std::max(windowHeightIn, 0);
    thumbWidth = std::max(thumbWidthIn, 0);
    thumbHeight = std::max(thumbHeightIn, 0);
    const int travel = orientation == SliderOrientation::Horizontal ? windowWidth - thumbWidth
                                                                    : windowHeight - thumbHeight;
    drag.setTravel(static_cast<float>(std::max(travel, 1)));
    drag.setPosition(positionForValue(defaultValue));
}

int SliderModel::getTravel() const
{
    return static_cast<int>(drag.getTravel());
}

float SliderModel::positionForValue(float valueNorm) const
{
    const float fraction =
        orientation == SliderOrientation::Horizontal ? valueNorm : 1.0f - valueNorm;
    return fraction * drag.getTravel();
}

float SliderModel::getValue() const
{
    const float fraction = drag.getPosition() / drag.getTravel();
    return orientation == SliderOrientation::Horizontal ? fraction : 1.0f - fraction;
}

bool SliderModel::setValue(float valueNorm)
{
    const float shown = clampNormalised(valueNorm);
    if (shown == getValue())
    {
        return false;
    }
    drag.setPosition(positionForValue(shown));
    return true;
}

bool SliderModel::press(unsigned keys, int x, int y)
{
    bool changed = false;
    if (isResetClick(keys))
    {
        const float before = getValue();
        drag.setPosition(positionForValue(defaultValue));
        changed = getValue() != before;
    }
    drag.begin(alongTrack(x, y));
    return changed;
}

bool SliderModel::move(unsigned keys, int x, int y, bool hasCapture)
{
    if (!hasCapture || (keys & kKeyLeftButton) == 0)
    {
        return false;
    }
    const float before = getValue();
    drag.follow(keys, alongTrack(x, y));
    return getValue() != before;
}

PixelRect SliderModel::thumbRect() const
{
    const int offset = static_cast<int>(drag.getPosition());
    if (orientation == SliderOrientation::Horizontal)
    {
        return {offset, 0, offset + thumbWidth, thumbHeight};
    }
    return {0, offset, thumbWidth, offset + thumbHeight};
}

PixelRect SliderModel::sweptRect(float fromPosition, float toPosition) const
{
    const int from = static_cast<int>(fromPosition);
    const int to = static_cast<int>(toPosition);
    const int start = std::min(from, to);
    if (orientation == SliderOrientation::Horizontal)
    {
        return {start, 0, std::max(from, to) + thumbWidth, windowHeight};
    }
    return {0, start, windowWidth, std::max(from, to) + thumbHeight};
}

} // namespace Sonarch::Gui
