// Curves that turn normalized parameter values into engine units. The engine, the parameter
// application and the value texts all use these, so a curve is defined exactly once.
#pragma once

#include <cmath>

namespace talvane {

// Envelope stage times follow a cubic law: seconds = x^3 * span + minimum.
constexpr float kAttackMinSeconds = 0.00001f;
constexpr float kAttackSpanSeconds = 3.99999f;
constexpr float kDecayMinSeconds = 0.005f;
constexpr float kDecaySpanSeconds = 3.995f;
constexpr float kReleaseMinSeconds = 0.005f;
constexpr float kReleaseSpanSeconds = 19.995f;

inline float cube(float x)
{
    return x * x * x;
}

inline float attackSeconds(float x)
{
    return cube(x) * kAttackSpanSeconds + kAttackMinSeconds;
}
inline float decaySeconds(float x)
{
    return cube(x) * kDecaySpanSeconds + kDecayMinSeconds;
}
inline float releaseSeconds(float x)
{
    return cube(x) * kReleaseSpanSeconds + kReleaseMinSeconds;
}

// Per-host-sample phase increment of a stage lasting `seconds`.
inline float stageRate(float seconds, float hostRate)
{
    return 1.0f / (seconds * hostRate);
}

// 0..1 to -1..1 with 0.5 as the centre.
inline float bipolar(float x)
{
    return 2.0f * x - 1.0f;
}

inline float volumeGain(float x)
{
    return cube(x);
}

// Free-running LFO rate: 0.1 Hz at 0, close to 2000 Hz at 1, in single precision.
constexpr float kLfoRateBase = 2000.9f;
constexpr float kLfoRateOffset = 0.9f;
inline float lfoHz(float x)
{
    return std::exp(std::log(kLfoRateBase) * x) - 1.0f + 0.1f;
}

} // namespace talvane
