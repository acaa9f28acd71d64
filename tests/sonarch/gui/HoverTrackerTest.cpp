// Hover and leave tracking: arming by moves without buttons, one hover per arming, the leave.
#include "sonarch/gui/HoverTracker.h"
#include "sonarch/gui/MouseKeys.h"

#include <gtest/gtest.h>

using namespace Sonarch::Gui;

namespace
{

TEST(HoverTrackerTest, AMoveWithoutButtonsArmsBothReports)
{
    HoverTracker tracker;
    EXPECT_FALSE(tracker.isWaitingForHover());
    EXPECT_TRUE(tracker.onMouseMove(0));
    EXPECT_TRUE(tracker.isWaitingForHover());
    EXPECT_TRUE(tracker.isWaitingForLeave());
    // Modifier keys and the middle button do not count as a drag.
    EXPECT_TRUE(tracker.onMouseMove(kKeyShift | kKeyControl | kKeyMiddleButton));
}

TEST(HoverTrackerTest, MovesDuringADragDoNotArm)
{
    HoverTracker tracker;
    EXPECT_FALSE(tracker.onMouseMove(kKeyLeftButton));
    EXPECT_FALSE(tracker.onMouseMove(kKeyRightButton | kKeyShift));
    EXPECT_FALSE(tracker.isWaitingForHover());
    EXPECT_FALSE(tracker.onHover());
    EXPECT_FALSE(tracker.onLeave());
}

TEST(HoverTrackerTest, OneHoverPerArmingAndTheLeaveEndsTracking)
{
    HoverTracker tracker;
    tracker.onMouseMove(0);
    EXPECT_TRUE(tracker.onHover());
    EXPECT_FALSE(tracker.onHover());
    // The leave stays armed after the hover.
    EXPECT_TRUE(tracker.isWaitingForLeave());

    tracker.onMouseMove(0);
    EXPECT_TRUE(tracker.onHover());
    EXPECT_TRUE(tracker.onLeave());
    EXPECT_FALSE(tracker.onLeave());
    EXPECT_FALSE(tracker.onHover());

    // Leaving before the hover: the pending hover is dropped with it.
    tracker.onMouseMove(0);
    EXPECT_TRUE(tracker.onLeave());
    EXPECT_FALSE(tracker.onHover());
}

} // namespace
