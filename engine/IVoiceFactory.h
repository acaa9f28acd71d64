// Makes the voices of the voice collection.
#pragma once

class Voice;

class IVoiceFactory
{
public:
    virtual ~IVoiceFactory() = default;
    // A new voice that the caller owns.
    virtual Voice* createVoice() = 0;
};
