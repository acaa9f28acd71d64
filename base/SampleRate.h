// The sample rates the plug-in runs at: one rule for the plug-in base and every component.
#pragma once

// From 1000 Hz, where the chorus's sweep and its shortest line still work, up to 768000 Hz, the
// highest rate hosts offer. A rate outside this range, or not a number, is ignored wherever it
// arrives: the host's call changes nothing and every component keeps its previous rate. Pitch,
// envelope, LFO and glide times hold at every rate of the range; the delay's line is capped at
// 192000 samples (a quarter of a second at 768000 Hz) and the chorus's at 16384, so above those
// rates their longest times shrink.
inline constexpr float kMinSampleRateHz = 1000.0f;
inline constexpr float kMaxSampleRateHz = 768000.0f;

inline bool isSupportedSampleRate(float rateHz)
{
    return rateHz >= kMinSampleRateHz && rateHz <= kMaxSampleRateHz;
}
