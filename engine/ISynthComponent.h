// A mono generator or modulator that renders block by block into its own output buffer.
#pragma once

#include "engine/IComponent.h"

// A component reading another component's output does so inside its own process, so sources are
// processed first in each block. Runs on the audio thread; must not allocate or block.
class ISynthComponent : public IComponent
{
public:
    // Computes the next count values (1 .. kMaxBlockFrames) into the output buffer.
    virtual void process(int count) = 0;
    // The output buffer; the first count values of the last process are valid.
    virtual const float* getOutput() const = 0;
};
