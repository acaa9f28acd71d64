// Two-way switch behaviour.
#include "sonarch/gui/SwitchModel.h"

#include "sonarch/gui/MouseKeys.h"
#include "sonarch/gui/NormalisedValue.h"
#include "sonarch/gui/StripLayout.h"

namespace Sonarch::Gui
{

SwitchModel::SwitchModel(float defaultValueIn)
    : defaultValue(clampNormalised(defaultValueIn)), value(defaultValue)
{
}

int SwitchModel::getFrame() const
{
    return StripLayout::frameForValue(value, kFrameCount);
}

bool SwitchModel::setValue(float valueNorm)
{
    const float shown = clampNormalised(valueNorm);
    if (shown == value)
    {
        return false;
    }
    value = shown;
    return true;
}

bool SwitchModel::click(unsigned keys)
{
    const bool wasOn = isOn();
    if ((keys & kKeyControl) != 0)
    {
        value = defaultValue;
        return isOn() != wasOn;
    }
    value = wasOn ? 0.0f : 1.0f;
    return true;
}

} // namespace Sonarch::Gui
