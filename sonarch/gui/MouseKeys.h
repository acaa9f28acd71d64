// The key-state bits that come with every mouse event, and the two tests the controls make of them.
#pragma once

namespace Sonarch::Gui
{

// The values are the Win32 MK_ bits, so the Win32 layer hands its wParam through unchanged; another
// platform translates its own modifier state into these bits.
constexpr unsigned kKeyLeftButton = 0x0001;
constexpr unsigned kKeyRightButton = 0x0002;
constexpr unsigned kKeyShift = 0x0004;
constexpr unsigned kKeyControl = 0x0008;
constexpr unsigned kKeyMiddleButton = 0x0010;

// Neither the left nor the right button is held (the middle button does not count).
constexpr bool buttonsUp(unsigned keys)
{
    return (keys & (kKeyLeftButton | kKeyRightButton)) == 0;
}

// A click with Ctrl and without Shift restores a knob's or slider's default; Ctrl+Shift starts the
// finest drag instead.
constexpr bool isResetClick(unsigned keys)
{
    return (keys & kKeyControl) != 0 && (keys & kKeyShift) == 0;
}

} // namespace Sonarch::Gui
