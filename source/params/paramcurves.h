// The laws that turn normalized settings into engine units. The processor applies them and the
// controller's value texts show them, so both compute exactly the same single-precision numbers.
#pragma once

#include <cmath>

namespace talvane {

// Envelope stage times follow a cubic law, x^3 * span + shortest, so the lower half of the knob
// gives fine control over short times.
struct StageTimeLaw
{
    double spanSeconds;
    double shortestSeconds;
};

constexpr StageTimeLaw kAttackTimeLaw{3.99999, 0.00001}; // 10 us .. 4 s
constexpr StageTimeLaw kDecayTimeLaw{3.995, 0.005};      // 5 ms .. 4 s
constexpr StageTimeLaw kReleaseTimeLaw{19.995, 0.005};   // 5 ms .. 20 s

constexpr double kMillisecondsPerSecond = 1000.0;

inline float stageSeconds(const StageTimeLaw& law, float x)
{
    return x * x * x * static_cast<float>(law.spanSeconds) + static_cast<float>(law.shortestSeconds);
}

// The same law with its constants scaled to milliseconds before rounding to single precision, so
// the shown texts read 0.01 .. 4000.00 ms rather than the rounding noise of seconds times 1000.
inline float stageMilliseconds(const StageTimeLaw& law, float x)
{
    return x * x * x * static_cast<float>(law.spanSeconds * kMillisecondsPerSecond) +
           static_cast<float>(law.shortestSeconds * kMillisecondsPerSecond);
}

inline float attackSeconds(float x) { return stageSeconds(kAttackTimeLaw, x); }
inline float decaySeconds(float x) { return stageSeconds(kDecayTimeLaw, x); }
inline float releaseSeconds(float x) { return stageSeconds(kReleaseTimeLaw, x); }

// Per-host-sample phase increment of a stage lasting `seconds`.
inline float stageRate(float seconds, float hostRate) { return 1.0f / (seconds * hostRate); }

// A normalized value from a host held to 0..1; NaN (and -0) count as 0. The engine's clamp01
// (source/engine/scalarmath.h) passes NaN through instead, as its vector kernels do.
template <typename T>
constexpr T clampNormalized(T x)
{
    return x > T(0) ? (x < T(1) ? x : T(1)) : T(0);
}

// 0..1 to -1..1 with 0.5 as the centre.
inline float bipolar(float x) { return 2.0f * x - 1.0f; }

// The output gain, a cube so that the upper half of the knob spans the usual mixing levels. The
// value text computes it in double precision, the engine in single.
template <typename T>
constexpr T volumeGain(T x)
{
    return x * x * x;
}

constexpr float kSemitonesPerOctave = 12.0f;

// The fine tune spans one semitone either side of the centre. Its value text shows the knob's
// offset from the centre in hundredths of the whole range (-50.00 .. 50.00), not in cents: that
// is the number hosts display and record for it, so the two scales differ by a factor of two on
// purpose.
constexpr float kFineTuneSemitones = 1.0f;

inline float fineTuneSemitones(float x) { return (x - 0.5f) * (2.0f * kFineTuneSemitones); }

// Portamento: the glide time at the top of the knob, linear in the knob (0.25 glides for 0.5 s).
// The value text shows the same span in milliseconds.
constexpr double kLongestPortamentoSeconds = 2.0;

inline float glideSeconds(float x) { return x * static_cast<float>(kLongestPortamentoSeconds); }

// LFO rate: exponential from 0.1 Hz at 0 to about 2000 Hz at 1, in single precision throughout.
constexpr float kLfoRateBase = 2000.9f;
constexpr float kLfoLowestHz = 0.1f;
// The engine's free-running increment is base^x - 0.9 Hz: the same curve, written as a power.
constexpr float kLfoRateOffset = 0.9f;

inline float lfoFrequencyHz(float x)
{
    return std::exp(std::log(kLfoRateBase) * x) - 1.0f + kLfoLowestHz;
}

// Filter cutoff: ten octaves up from 20 Hz, so 0 is 20 Hz and 1 is 20480 Hz.
constexpr float kLowestCutoffHz = 20.0f;
constexpr float kCutoffOctaves = 10.0f;

inline float cutoffHz(float x)
{
    return std::exp2(kCutoffOctaves * x) * kLowestCutoffHz;
}

// cutoffHz(1): 20480 Hz.
constexpr float kHighestCutoffHz =
    kLowestCutoffHz * static_cast<float>(1 << static_cast<int>(kCutoffOctaves));

} // namespace talvane
