#include "source/engine/waveformspectra.h"

#include "source/engine/waveforms.h"

#include <cmath>

// Conventions: φ in [0, 1) is the phase; a_k and b_k are the coefficients of cos(2πkφ) and sin(2πkφ):
// a_k = 2∫f(φ)cos(2πkφ)dφ, b_k = 2∫f(φ)sin(2πkφ)dφ over one period. Every shape is DC-free.
//
// Saw            2φ on [0, 1/2), 2φ − 2 on [1/2, 1): the ramp x/π on (−π, π), b_k = (2/π)(−1)^(k+1)/k.
// Sine           sin 2πφ: b_1 = 1.
// Tri            0 at 0, +1 at 1/4, −1 at 3/4, linear between: odd k, b_k = (8/π²)(−1)^((k−1)/2)/k².
// Square         +1 on (0, 1/2), −1 on (1/2, 1): odd k, b_k = 4/(πk).
// 33 Square      +1 on (1/6, 1/3), −1 on (2/3, 5/6), 0 elsewhere. Integrating the two pulses,
//                b_k = (1/(πk))(cos(kπ/3) − cos(2kπ/3) − cos(4kπ/3) + cos(5kπ/3))
//                    = (2/(πk))(cos(kπ/3) − cos(2kπ/3)), which vanishes for even k.
// 4 Steps        levels 0.5, 1, 0.5, −0.5, −1, −0.5 over sixths = (Square + 33 Square)/2:
//                b_k = 2/(πk) + (cos(kπ/3) − cos(2kπ/3))/(πk) = 3/(πk) for odd k not divisible by 3,
//                and 0 for odd multiples of 3 (cos(kπ/3) − cos(2kπ/3) = −2 there).
// Asym Square    1.5 × (the pulse on (1/12, 5/12)) − 0.5. The pulse of width 1/3 centred on 1/4 has the
//                complex coefficients e^(−iπk/2)·sin(πk/3)/(πk), so
//                a_k = (3/(πk))·sin(kπ/3)·cos(kπ/2), b_k = (3/(πk))·sin(kπ/3)·sin(kπ/2):
//                odd k carry sine terms, even k cosine terms, multiples of 3 are absent.
// Trapezoid      6φ up to 1/6, +1 to 1/3, falling through 0 at 1/2 to −1 at 2/3, −1 to 5/6, back to 0:
//                odd and quarter-wave symmetric, b_k = 8∫₀^¼ f sin(2πkφ)dφ = 12·sin(kπ/3)/(π²k²)
//                = (4/(πk))·sin(kπ/3)/(kπ/3) for odd k; multiples of 3 are absent.
// SmoothSaw 1    the saw spectrum tilted: b_k = (2/π)(−1)^(k+1)/k^1.25.
// SmoothSaw 2    the saw spectrum low-passed: b_k = (2/π)(−1)^(k+1)/(k(1 + 0.005k²)).
// Rectified      (|sin 2π(φ − δ)| − 2/π)/(1 − 2/π), δ = 0.3861. From
//                |sin x| = 2/π − (4/π)Σ_m cos(2mx)/(4m² − 1) and cos 2πk(φ − δ) =
//                cos 2πkφ·cos 2πkδ + sin 2πkφ·sin 2πkδ, for even k = 2m:
//                a_k = c_k·cos(2πkδ), b_k = c_k·sin(2πkδ), c_k = −(4/π)/((k² − 1)(1 − 2/π)).
// Half Rectified (max(sin 2πφ, 0) − 1/π)/(1 − 1/π). From
//                max(sin x, 0) = 1/π + (sin x)/2 − (2/π)Σ_m cos(2mx)/(4m² − 1):
//                b_1 = 0.5/(1 − 1/π), and for even k a_k = −(2/π)/((k² − 1)(1 − 1/π)).
//
// The trigonometric factors at multiples of π/3 and π/2 are taken from their exact values, so that
// the harmonics a shape lacks come out exactly zero rather than as rounding residue.

namespace talvane {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHalfSqrt3 = 0.86602540378443864676;
constexpr double kRectifiedPhaseShift = 0.3861;
constexpr double kSmoothSaw1Tilt = 1.25;
constexpr double kSmoothSaw2Rolloff = 0.005;

bool isOdd(int k)
{
    return (k & 1) != 0;
}
bool isMultipleOf3(int k)
{
    return k % 3 == 0;
}
// (−1)^(k+1): the alternating sign of the saw family.
double sawSign(int k)
{
    return isOdd(k) ? 1.0 : -1.0;
}

// sin and cos of k·π/3 repeat every 6 harmonics, those of k·π/2 every 4.
double sinThirdPi(int k)
{
    static constexpr double values[6] = {0.0, kHalfSqrt3, kHalfSqrt3, 0.0, -kHalfSqrt3, -kHalfSqrt3};
    return values[k % 6];
}
double cosThirdPi(int k)
{
    static constexpr double values[6] = {1.0, 0.5, -0.5, -1.0, -0.5, 0.5};
    return values[k % 6];
}
double sinHalfPi(int k)
{
    static constexpr double values[4] = {0.0, 1.0, 0.0, -1.0};
    return values[k % 4];
}
double cosHalfPi(int k)
{
    static constexpr double values[4] = {1.0, 0.0, -1.0, 0.0};
    return values[k % 4];
}

Harmonic sineOnly(double b)
{
    return {0.0, b};
}

Harmonic rectifiedHarmonic(int k)
{
    if (isOdd(k))
        return {};
    const double amplitude = -(4.0 / kPi) / ((double(k) * k - 1.0) * (1.0 - 2.0 / kPi));
    const double shift = 2.0 * kPi * k * kRectifiedPhaseShift;
    return {amplitude * std::cos(shift), amplitude * std::sin(shift)};
}

Harmonic halfRectifiedHarmonic(int k)
{
    const double scale = 1.0 / (1.0 - 1.0 / kPi);
    if (k == 1)
        return sineOnly(0.5 * scale);
    if (isOdd(k))
        return {};
    return {-(2.0 / kPi) / (double(k) * k - 1.0) * scale, 0.0};
}

} // namespace

Harmonic waveformHarmonic(int w, int k)
{
    if (k < 1)
        return {};
    const double kd = k;
    switch (w)
    {
    case waveform::kSaw:
        return sineOnly(2.0 / kPi * sawSign(k) / kd);
    case waveform::kSine:
        return sineOnly(k == 1 ? 1.0 : 0.0);
    case waveform::kTri:
        return sineOnly(isOdd(k) ? 8.0 / (kPi * kPi) * sinHalfPi(k) / (kd * kd) : 0.0);
    case waveform::kSquare:
        return sineOnly(isOdd(k) ? 4.0 / (kPi * kd) : 0.0);
    case waveform::kFourSteps:
        return sineOnly(isOdd(k) && !isMultipleOf3(k) ? 3.0 / (kPi * kd) : 0.0);
    case waveform::kThirtyThreeSquare:
        return sineOnly(isOdd(k) ? 2.0 / (kPi * kd) * (cosThirdPi(k) - cosThirdPi(2 * k)) : 0.0);
    case waveform::kAsymSquare:
    {
        const double amplitude = 3.0 / (kPi * kd) * sinThirdPi(k);
        return {amplitude * cosHalfPi(k), amplitude * sinHalfPi(k)};
    }
    case waveform::kTrapezoid:
        return sineOnly(isOdd(k) ? 12.0 * sinThirdPi(k) / (kPi * kPi * kd * kd) : 0.0);
    case waveform::kSmoothSaw1:
        return sineOnly(2.0 / kPi * sawSign(k) / std::pow(kd, kSmoothSaw1Tilt));
    case waveform::kSmoothSaw2:
        return sineOnly(2.0 / kPi * sawSign(k) / (kd * (1.0 + kSmoothSaw2Rolloff * kd * kd)));
    case waveform::kRectified:
        return rectifiedHarmonic(k);
    case waveform::kHalfRectified:
        return halfRectifiedHarmonic(k);
    default:
        return {};
    }
}

} // namespace talvane
