// The host side shared by the fuzz harnesses: a plug-in instance made through the exported entry
// and driven as a host drives it, and rendering that checks every sample is finite.
#pragma once

#include "vst/VstAbi.h"

#include <cstddef>

namespace FuzzHost
{

// The largest block a harness renders; hosts ask for up to this many frames at once.
constexpr int kMaxFrames = 20000;

// A new instance, with the time information back at its start (song position 0, 120 BPM,
// playing): VSTPluginMain, effOpen, 44100 Hz, blocks of 512, effMainsChanged 1, effStartProcess.
// Aborts when the entry gives no instance: a harness that cannot make one has found a fault.
AEffect* open();
// effStopProcess, effMainsChanged 0, effClose.
void close(AEffect* effect);

// processReplacing of frames frames (0..kMaxFrames) into zeroed buffers; aborts on a sample that
// is not finite, or on one that was written outside the block.
void renderChecked(AEffect* effect, int frames);

// Time information the host hands out; harnesses may change it between blocks.
VstTimeInfo& timeInfo();

} // namespace FuzzHost
