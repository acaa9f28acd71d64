// Reacts to MIDI continuous controllers.
#pragma once

class IControllable
{
public:
    virtual ~IControllable() = default;
    // controller 0..127, value = data byte / 127 (0..1). Audio thread.
    virtual void controlChange(int controller, float value) = 0;
};
