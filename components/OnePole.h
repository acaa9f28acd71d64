// The per-sample coefficients of one-pole smoothing: by corner frequency and by time constant.
#pragma once

#include <cmath>
#include <numbers>

// 1 - exp(-2 pi frequencyHz / rateHz): a one-pole smoother with its corner at frequencyHz, whose
// step response has a time constant of 1 / (2 pi frequencyHz) seconds. Real is the precision it is
// computed in. The filter's cutoff and resonance smoothing has always used single precision, whose
// exp keeps only about 1e-5 of a coefficient this small, and the chorus's mix double; each keeps
// its exact steps, which every stored sound depends on.
template <typename Real>
float onePoleCoefficient(float frequencyHz, float rateHz)
{
    const Real twoPi = std::numbers::pi_v<Real> * Real(2);
    return static_cast<float>(
        Real(1) - std::exp(-twoPi * static_cast<Real>(frequencyHz) / static_cast<Real>(rateHz)));
}

// 1 - exp(-1 / (rateHz x seconds + 1)), in double: a glide with a time constant of seconds (the
// + 1 keeps a time of 0 at a whole step per sample).
inline float glideCoefficient(float rateHz, float seconds)
{
    return static_cast<float>(
        1.0 - std::exp(-1.0 / (static_cast<double>(rateHz) * static_cast<double>(seconds) + 1.0)));
}
