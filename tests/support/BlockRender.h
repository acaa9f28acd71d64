// Renders a mono component block by block into one vector, for measuring on whole signals.
#pragma once

#include "engine/ISynthComponent.h"

#include <algorithm>
#include <vector>

namespace TestRender
{

// Processes frames samples in blocks of blockFrames (at most kMaxBlockFrames) and returns the
// outputs joined.
inline std::vector<float> blocks(ISynthComponent& component, int frames, int blockFrames = 512)
{
    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(frames));
    for (int done = 0; done < frames; done += blockFrames)
    {
        const int n = std::min(blockFrames, frames - done);
        component.process(n);
        out.insert(out.end(), component.getOutput(), component.getOutput() + n);
    }
    return out;
}

// Number of samples that differ from the one before.
inline int changes(const std::vector<float>& x)
{
    int count = 0;
    for (std::size_t i = 1; i < x.size(); ++i)
    {
        count += x[i] != x[i - 1] ? 1 : 0;
    }
    return count;
}

} // namespace TestRender
