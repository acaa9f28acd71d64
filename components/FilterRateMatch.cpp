// The filter's coefficients carried from 44100 Hz to other rates.
#include "components/FilterRateMatch.h"

#include "base/Mutex.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace
{

using Complex = std::complex<double>;

constexpr double kReferenceRate = 44100.0;
// Coefficients at or above this are refused: the stages would barely lag the input, and the
// resonance gain 1 / (1 - g) would explode.
constexpr double kLargestCoefficient = 0.99;
// The zeros' gain is matched at this many times the cutoff (the highpass above its corner, the
// others at it), and never above this fraction of the lower of the two rates.
constexpr double kHighpassGainPoint = 2.0;
constexpr double kLargestGainPoint = 0.4;

// A quadratic in w = 1/z: c[0] + c[1] w + c[2] w^2.
struct Quadratic
{
    double c[3];
    Complex at(Complex w) const { return c[0] + w * (c[1] + w * c[2]); }
};

// The per-sample step
//     s1' = s1 + g (x - s1 + k (s1 - s2)),  s2' = s2 + g (s1' - s2)
// as transfer functions: S1 = n1 / den and S2 = n2 / den of the input, with
// den = 1 - T w + D w^2, T = 2 - 2g + gk - g^2 k and D = (1 - g)(1 - g + gk).
struct Step
{
    double g;
    double k;
    Quadratic den;
    Quadratic n1;
    Quadratic n2;
};

Step stepOf(double g, double k)
{
    const double a11 = 1.0 - g + g * k;
    const double a12 = -g * k;
    const double a21 = g * a11;
    const double a22 = 1.0 - g - g * g * k;
    const double trace = a11 + a22;
    const double product = a11 * a22 - a12 * a21;
    return {g,
            k,
            {{1.0, -trace, product}},
            {{g, -a22 * g + a12 * g * g, 0.0}},
            {{g * g, a21 * g - a11 * g * g, 0.0}}};
}

// The stage coefficient for c cycles per sample at the filter's own rate.
double plainCoefficient(double c, double range, double minimum)
{
    const double d = 1.0 - 2.0 * std::fmin(c, 0.5);
    return (1.0 - d * d * d) * range + minimum;
}

// The roots z1, z2 of z^2 + b z + c raised to the power a, as the monic quadratic in w they
// make, 1 - (z1' + z2') w + z1' z2' w^2; false where a root lies on the negative axis (its power
// is not real).
bool carryRoots(double b, double c, double a, Quadratic& out)
{
    const double discriminant = b * b - 4.0 * c;
    double sum = 0.0;
    double product = 0.0;
    if (discriminant < 0.0)
    {
        // A conjugate pair r e^(+-i theta) becomes r^a e^(+-i a theta).
        const double radius = std::sqrt(c);
        const double angle = std::acos(std::fmax(-1.0, std::fmin(1.0, -b / (2.0 * radius))));
        sum = 2.0 * std::pow(radius, a) * std::cos(a * angle);
        product = std::pow(c, a);
    }
    else
    {
        const double root = std::sqrt(discriminant);
        const double z1 = 0.5 * (-b + root);
        const double z2 = 0.5 * (-b - root);
        if (z1 < 0.0 || z2 < 0.0)
        {
            return false;
        }
        sum = std::pow(z1, a) + std::pow(z2, a);
        product = std::pow(z1 * z2, a);
    }
    out = {{1.0, -sum, product}};
    return true;
}

// The step whose poles are those of (g44, k44) carried by a = 44100 / rate; false where no valid
// (g, k) has them. The denominator's value at w = 1 is g^2, so g = sqrt(1 - T + D); with
// u = 1 - g and v = D / u, k = (v - u) / g.
bool carryPoles(const Step& reference, double a, Step& out)
{
    Quadratic poles = {};
    if (!carryRoots(reference.den.c[1], reference.den.c[2], a, poles))
    {
        return false;
    }
    const double atOne = poles.c[0] + poles.c[1] + poles.c[2];
    if (!(atOne > 0.0))
    {
        return false;
    }
    const double g = std::sqrt(atOne);
    if (!(g < kLargestCoefficient))
    {
        return false;
    }
    const double u = 1.0 - g;
    const double k = (poles.c[2] / u - u) / g;
    // Without resonance k is 0 but for rounding, either side of it.
    if (!std::isfinite(k) || k < -1e-9)
    {
        return false;
    }
    out = stepOf(g, std::fmax(k, 0.0));
    return true;
}

// The plain outputs as m0 x + m1 s1 + m2 s2: highpass, bandpass, notch.
constexpr double kPlainMixes[3][3] = {{1.0, 0.0, -1.0}, {0.0, 1.0, -1.0}, {1.0, -1.0, 1.0}};

Quadratic mixed(const Step& step, const double (&mix)[3])
{
    Quadratic sum = {};
    for (int n = 0; n < 3; ++n)
    {
        sum.c[n] = mix[0] * step.den.c[n] + mix[1] * step.n1.c[n] + mix[2] * step.n2.c[n];
    }
    return sum;
}

Complex unitAt(double hz, double rate)
{
    return std::polar(1.0, -2.0 * std::numbers::pi * hz / rate);
}

// The mix (m0, m1, m2) that gives the carried step the reference output's zeros carried by a,
// with the reference's gain at gainHz; false where the zeros cannot be carried.
bool carryZeros(const Step& reference, const Step& carried, const double (&plain)[3], double a,
                double gainHz, double (&mix)[3])
{
    const Quadratic zeros = mixed(reference, plain);
    if (!(std::fabs(zeros.c[0]) > 1e-12))
    {
        return false;
    }
    Quadratic target = {};
    if (!carryRoots(zeros.c[1] / zeros.c[0], zeros.c[2] / zeros.c[0], a, target))
    {
        return false;
    }
    const double rate = kReferenceRate / a;
    const Complex wReference = unitAt(gainHz, kReferenceRate);
    const Complex wCarried = unitAt(gainHz, rate);
    const double wanted = std::abs(zeros.at(wReference) / reference.den.at(wReference));
    const double got = std::abs(target.at(wCarried) / carried.den.at(wCarried));
    if (!(wanted > 0.0 && got > 0.0) || !std::isfinite(wanted / got))
    {
        return false;
    }
    for (double& coefficient : target.c)
    {
        coefficient *= wanted / got;
    }
    // target = m0 den + m1 n1 + m2 n2, term by term. n1 and n2 have no w^2 term, so m0 follows
    // from it; the other two terms are a 2 x 2 system whose determinant is g^3 (1 - g).
    const Step& s = carried;
    const double m0 = target.c[2] / s.den.c[2];
    const double r0 = target.c[0] - m0 * s.den.c[0];
    const double r1 = target.c[1] - m0 * s.den.c[1];
    const double det = s.n1.c[0] * s.n2.c[1] - s.n2.c[0] * s.n1.c[1];
    const double m1 = (r0 * s.n2.c[1] - s.n2.c[0] * r1) / det;
    const double m2 = (s.n1.c[0] * r1 - r0 * s.n1.c[1]) / det;
    if (!std::isfinite(m0) || !std::isfinite(m1) || !std::isfinite(m2))
    {
        return false;
    }
    mix[0] = m0;
    mix[1] = m1;
    mix[2] = m2;
    return true;
}

} // namespace

void FilterRateMatch::build(float rateHz, float range, float minimum)
{
    // The sixteen voices of an instance (and the instances of a host) ask for the same table in a
    // row: the last one built is kept and copied, a few microseconds instead of milliseconds.
    static Mutex cacheLock;
    static FilterRateMatch last;
    ScopedLock hold(cacheLock);
    if (last.builtRate == rateHz && last.builtRange == range && last.builtMinimum == minimum)
    {
        *this = last;
        return;
    }
    compute(rateHz, range, minimum);
    last = *this;
}

void FilterRateMatch::compute(float rateHz, float range, float minimum)
{
    builtRate = rateHz;
    builtRange = range;
    builtMinimum = minimum;
    const double rate = static_cast<double>(rateHz);
    const double a = kReferenceRate / rate;
    const double q = static_cast<double>(range);
    const double least = static_cast<double>(minimum);
    scale = static_cast<float>(rate / kReferenceRate);
    for (int row = 0; row <= kResonanceSteps; ++row)
    {
        const double r = static_cast<double>(row) / kResonanceSteps;
        for (int column = 0; column <= kCutoffSteps; ++column)
        {
            const double c44 =
                static_cast<double>(column) * static_cast<double>(kMaxCutoff) / kCutoffSteps;
            const double g44 = plainCoefficient(c44, q, least);
            const Step reference = stepOf(g44, (1.0 + 1.0 / (1.0 - g44)) * r);
            Step carried = {};
            const bool poles = carryPoles(reference, a, carried);
            if (!poles)
            {
                const double g = plainCoefficient(c44 * a, q, least);
                carried = stepOf(g, (1.0 + 1.0 / (1.0 - g)) * r);
            }
            float* entry = table + (row * kRowLength + column) * kFields;
            entry[kCoefficient] = static_cast<float>(carried.g);
            entry[kFeedback] = static_cast<float>(carried.k);
            const double cutoffHz = c44 * kReferenceRate;
            const double highest = kLargestGainPoint * std::fmin(rate, kReferenceRate);
            for (int mode = 0; mode < 3; ++mode)
            {
                const double gainHz =
                    std::fmin(highest, (mode == 0 ? kHighpassGainPoint : 1.0) * cutoffHz);
                double mix[3] = {kPlainMixes[mode][0], kPlainMixes[mode][1], kPlainMixes[mode][2]};
                if (poles && gainHz > 0.0)
                {
                    double found[3] = {};
                    if (carryZeros(reference, carried, kPlainMixes[mode], a, gainHz, found))
                    {
                        mix[0] = found[0];
                        mix[1] = found[1];
                        mix[2] = found[2];
                    }
                }
                for (int n = 0; n < 3; ++n)
                {
                    entry[kMixes + 3 * mode + n] = static_cast<float>(mix[n]);
                }
            }
        }
    }
}
