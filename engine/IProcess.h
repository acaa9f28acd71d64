// Something that mixes its sound into a caller's buffer.
#pragma once

class IProcess
{
public:
    virtual ~IProcess() = default;
    // Adds count values of sound to buffer; never overwrites. Audio thread.
    virtual void process(float* buffer, int count) = 0;
    // A second block operation that nothing in the engine calls.
    virtual void processReplacing(float* buffer, int count) = 0;
};
