// Bringing a value handed to a control into the normalised range the control can show.
#pragma once

namespace Sonarch::Gui
{

// Values reach the controls from the bank, normalised already; anything else (a damaged value, NaN)
// is shown at the nearest end instead of driving a position or a frame out of its range.
inline float clampNormalised(float valueNorm)
{
    if (!(valueNorm > 0.0f))
    {
        return 0.0f;
    }
    return valueNorm < 1.0f ? valueNorm : 1.0f;
}

} // namespace Sonarch::Gui
