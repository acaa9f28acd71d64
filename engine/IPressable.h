// Reacts to channel pressure.
#pragma once

class IPressable
{
public:
    virtual ~IPressable() = default;
    // pressure = data byte / 127 (0..1). Audio thread.
    virtual void press(float pressure) = 0;
};
