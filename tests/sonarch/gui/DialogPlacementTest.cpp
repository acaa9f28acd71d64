// Dialog placement: centred over what asked for it, moved into the screen's work area.
#include "sonarch/gui/DialogPlacement.h"

#include <gtest/gtest.h>

using Sonarch::Gui::PixelRect;
using Sonarch::Gui::placeCentred;

namespace
{

TEST(DialogPlacementTest, CentredOverTheAnchorAndKeptInsideTheWorkArea)
{
    const PixelRect screen = {0, 0, 1600, 1000};
    struct Case
    {
        const char* what;
        PixelRect over;
        PixelRect expected;
    };
    // A 300 x 200 dialog.
    const Case cases[] = {
        {"over a control", {500, 400, 532, 433}, {366, 317, 666, 517}},
        {"over the panel", {40, 40, 856, 829}, {298, 334, 598, 534}},
        {"a control at the top-left corner", {0, 0, 20, 20}, {0, 0, 300, 200}},
        {"a control at the bottom-right corner", {1580, 980, 1600, 1000}, {1300, 800, 1600, 1000}},
        {"an anchor off the screen", {-900, 2000, -800, 2100}, {0, 800, 300, 1000}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(placeCentred(c.over, 300, 200, screen), c.expected) << c.what;
    }
    // Larger than the work area: the top-left corner stays on the screen.
    EXPECT_EQ(placeCentred({0, 0, 10, 10}, 2000, 1200, screen), (PixelRect{0, 0, 2000, 1200}));
}

} // namespace
