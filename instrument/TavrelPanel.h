// The layout of the synthesizer's panel: one control for each of the 97 parameters, with its kind,
// position and size in panel pixels, the value a Ctrl+click restores and, for drop-down boxes, the
// item texts. Portable data: the Win32 panel builds its windows from it, the tests check it
// against the parameter list, and the artwork is drawn around the same rectangles.
#pragma once

#include <array>
#include <functional>

namespace Sonarch::Parameters
{
class BankInterface;
}

namespace TavrelPanel
{

constexpr int kWidth = 816;
constexpr int kHeight = 789;

enum class Kind
{
    Switch,
    DropDown,
    Knob,
    HorizontalSlider,
    VerticalSlider,
};

struct Control
{
    Kind kind;
    const char* shortName; // the parameter's short name, by which the panel finds its index
    int x;                 // top-left corner in panel pixels
    int y;
    int width;
    int height;
    // The value a Ctrl+click restores: the panel's own, which may differ from the parameter's.
    float defaultValue;
    // Drop-down boxes only: the item texts in value order.
    const char* const* items;
    int itemCount;
};

constexpr int kControlCount = 97;

// In creation order: the switches, the drop-down boxes, the knobs, the sliders.
const std::array<Control, kControlCount>& controls();

// Builds a panel from the table, the same on every platform: for each entry in creation order,
// the parameter's index by its short name (findParameter), then make(entry, index), the
// platform's control. The first entry whose parameter is missing, or whose control make could
// not create (false), ends the building: no further control is made, and the result is false.
bool buildControls(Sonarch::Parameters::BankInterface& bank,
                   const std::function<bool(const Control& entry, int index)>& make);

// The status line in the title bar, and the corner that opens the main menu.
constexpr int kStatusX = 625;
constexpr int kStatusY = 2;
constexpr int kStatusWidth = 150;
constexpr int kStatusHeight = 25;
constexpr int kMenuRight = 150;
constexpr int kMenuBottom = 33;

} // namespace TavrelPanel
