// Reacts to pitch bend.
#pragma once

class IBendable
{
public:
    virtual ~IBendable() = default;
    // amount = (14-bit value - 8192) / 8192: -1 .. +0.99988, 0 at rest. Audio thread.
    virtual void bend(float amount) = 0;
};
