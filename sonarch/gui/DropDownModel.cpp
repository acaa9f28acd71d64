// Drop-down box behaviour.
#include "sonarch/gui/DropDownModel.h"

#include "sonarch/gui/NormalisedValue.h"

#include <algorithm>
#include <cmath>

namespace Sonarch::Gui
{

DropDownModel::DropDownModel(int itemCount) : count(std::max(itemCount, 0)) {}

float DropDownModel::getValue() const
{
    // One item would divide 0 by 0: it stands for 0, like an empty list.
    if (count <= 1)
    {
        return 0.0f;
    }
    return static_cast<float>(selected) / static_cast<float>(count - 1);
}

bool DropDownModel::setValue(float valueNorm)
{
    if (count <= 0)
    {
        return false;
    }
    const float item = static_cast<float>(count - 1) * clampNormalised(valueNorm);
    const int nearest = static_cast<int>(std::lround(item));
    if (nearest == selected)
    {
        return false;
    }
    selected = nearest;
    return true;
}

bool DropDownModel::choose(int command)
{
    if (command < 1 || command > count)
    {
        return false;
    }
    selected = command - 1;
    return true;
}

} // namespace Sonarch::Gui
