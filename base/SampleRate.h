// The sample rates the plug-in runs at: one rule for the plug-in base and every component.
#pragma once

// From 1000 Hz, where the chorus's sweep and its shortest line still work, up to 384000 Hz. A
// rate outside this range, or not a number, is ignored wherever it arrives: the host's call
// changes nothing and every component keeps its previous rate.
inline constexpr float kMinSampleRateHz = 1000.0f;
inline constexpr float kMaxSampleRateHz = 384000.0f;

inline bool isSupportedSampleRate(float rateHz)
{
    return rateHz >= kMinSampleRateHz && rateHz <= kMaxSampleRateHz;
}
