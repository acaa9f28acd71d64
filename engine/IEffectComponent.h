// A stereo processor of the effects chain.
#pragma once

#include "engine/IComponent.h"

// The engine passes the same two channel pointers as inputs and outputs, so effects work in
// place. Runs on the audio thread; must not allocate or block.
class IEffectComponent : public IComponent
{
public:
    virtual void process(float** inputs, float** outputs, int count) = 0;
};

// Copies a channel that an effect leaves as it is, unless the effect runs in place (in == out).
inline void passThrough(const float* in, float* out, int count)
{
    for (int i = 0; i < count && in != out; ++i)
    {
        out[i] = in[i];
    }
}
