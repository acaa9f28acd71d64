// Prints the panel's control table as the artwork generator prints its own (kind, short name, x,
// y, width, height, tab-separated), so a test can hold the two to the same layout.
#include "instrument/TavrelPanel.h"

#include <cstdio>

int main()
{
    for (const TavrelPanel::Control& control : TavrelPanel::controls())
    {
        const char* kind = "switch";
        switch (control.kind)
        {
        case TavrelPanel::Kind::Switch:
            break;
        case TavrelPanel::Kind::DropDown:
            kind = "dropdown";
            break;
        case TavrelPanel::Kind::Knob:
            kind = "knob";
            break;
        case TavrelPanel::Kind::HorizontalSlider:
            kind = "hslider";
            break;
        case TavrelPanel::Kind::VerticalSlider:
            kind = "vslider";
            break;
        }
        std::printf("%s\t%s\t%d\t%d\t%d\t%d\n", kind, control.shortName, control.x, control.y,
                    control.width, control.height);
    }
    return 0;
}
