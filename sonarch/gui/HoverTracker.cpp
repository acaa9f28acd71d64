// Hover and leave tracking.
#include "sonarch/gui/HoverTracker.h"

#include "sonarch/gui/MouseKeys.h"

namespace Sonarch::Gui
{

bool HoverTracker::onMouseMove(unsigned keys)
{
    if (!buttonsUp(keys))
    {
        return false;
    }
    waitingForHover = true;
    waitingForLeave = true;
    return true;
}

bool HoverTracker::onHover()
{
    const bool armed = waitingForHover;
    waitingForHover = false;
    return armed;
}

bool HoverTracker::onLeave()
{
    const bool armed = waitingForLeave;
    waitingForHover = false;
    waitingForLeave = false;
    return armed;
}

} // namespace Sonarch::Gui
