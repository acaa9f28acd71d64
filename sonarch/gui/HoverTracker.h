// The hover and leave tracking state of one control.
#pragma once

namespace Sonarch::Gui
{

// A mouse move with no button held arms the tracking: the platform is asked to report a hover
// once the pointer has rested for 200 ms, and the pointer's leaving the window. A hover is reported
// once per arming (the next move arms it again); a leave ends all tracking until the next move.
// Moves during a drag (a button held) do not arm it, so no hover text pops up while dragging.
// Reports that arrive unarmed are dropped: a control tells its parent only of hovers and leaves
// it asked for.
class HoverTracker
{
public:
    static constexpr int kHoverMilliseconds = 200;

    // Returns true when the platform must be asked (again) to report the hover and the leave.
    bool onMouseMove(unsigned keys);
    // The platform reported a hover; returns true when the parent is to be told.
    bool onHover();
    // The platform reported the leave; returns true when the parent is to be told.
    bool onLeave();

    bool isWaitingForHover() const { return waitingForHover; }
    bool isWaitingForLeave() const { return waitingForLeave; }

private:
    bool waitingForHover = false;
    bool waitingForLeave = false;
};

} // namespace Sonarch::Gui
