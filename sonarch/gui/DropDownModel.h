// What a drop-down box does with values and with the item chosen from its menu.
#pragma once

namespace Sonarch::Gui
{

// Item k of n stands for the value k / (n − 1). A value from outside selects the nearest item,
// (n − 1) × value rounded half away from zero; a list of one item (or none) has the value 0. The
// menu's command for item k is k + 1, so that 0 means the menu was dismissed.
class DropDownModel
{
public:
    explicit DropDownModel(int itemCount);

    int getCount() const { return count; }
    int getSelected() const { return selected; }
    float getValue() const;

    // Shows a value from outside (never posted). Returns whether the selection changed.
    bool setValue(float valueNorm);

    static int commandForItem(int item) { return item + 1; }

    // The box's frame carries its arrow in a strip this wide at its right end (painted into the
    // panel's background); the selected text is centred in the space left of it.
    static constexpr int kArrowWidth = 8;
    static int textRight(int boxWidth)
    {
        return boxWidth > kArrowWidth ? boxWidth - kArrowWidth : boxWidth;
    }

    // The menu returned a command. Returns true when an item was chosen, which is posted even when
    // it was selected already; a dismissed menu (command below 1) and a command past the list
    // change nothing.
    bool choose(int command);

private:
    int count;
    int selected = 0;
};

} // namespace Sonarch::Gui
