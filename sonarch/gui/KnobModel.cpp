// Knob behaviour.
#include "sonarch/gui/KnobModel.h"

#include "sonarch/gui/MouseKeys.h"
#include "sonarch/gui/NormalisedValue.h"
#include "sonarch/gui/StripLayout.h"

namespace Sonarch::Gui
{

KnobModel::KnobModel(float defaultValueIn)
    : defaultValue(clampNormalised(defaultValueIn)),
      drag(kTravelPixels, DragDirection::AgainstCoordinate)
{
    drag.setPosition(defaultValue * kTravelPixels);
}

bool KnobModel::setValue(float valueNorm)
{
    const float shown = clampNormalised(valueNorm);
    if (shown == getValue())
    {
        return false;
    }
    drag.setPosition(shown * kTravelPixels);
    return true;
}

int KnobModel::getFrame() const
{
    return StripLayout::frameForValue(getValue(), kFrameCount);
}

bool KnobModel::press(unsigned keys, int y)
{
    bool changed = false;
    if (isResetClick(keys))
    {
        const float before = getValue();
        drag.setPosition(defaultValue * kTravelPixels);
        changed = getValue() != before;
    }
    drag.begin(y);
    return changed;
}

bool KnobModel::move(unsigned keys, int y, bool hasCapture)
{
    if (!hasCapture || (keys & kKeyLeftButton) == 0)
    {
        return false;
    }
    const float before = getValue();
    drag.follow(keys, y);
    return getValue() != before;
}

} // namespace Sonarch::Gui
