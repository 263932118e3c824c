// The largest output the engine can produce, whatever the settings, the modulation and the notes:
// every stage's worst case at once. Ordinary patches peak near full scale (1.0); this bound is what
// the host can rely on, far above it but finite.
#pragma once

#include "source/engine/engineconstants.h"

namespace talvane {

namespace output_bound {
// The largest sample of any wavetable (the band-limited edges overshoot) and of the noise buffers.
constexpr float kTablePeak = 1.76f;
// Three oscillators at full level, each scaled by a quarter, plus a quarter of the three ring
// products (o1 o3, o2 o3, o1 o2), all at the table peak.
constexpr float kOscillatorPeak = kNumOscillators * 0.25f * kTablePeak + 0.25f * 3.0f * kTablePeak * kTablePeak;
// The ladder's largest gain for any input: the sum of the magnitudes of its impulse response, over
// every type, cutoff and resonance at every accepted rate (the high-pass type with full resonance at
// low cutoffs reaches about 40).
constexpr float kFilterGain = 48.0f;
// The amplitude envelope (at most 1) times the "AMP | Volume" modulation (at most 1 + 1).
constexpr float kVoiceAmpPeak = 2.0f;
// The decimation filter's sum of coefficient magnitudes.
constexpr float kDecimatorGain = 1.72f;
} // namespace output_bound

// Every voice slot (fading ones included) at its peak, at full volume, through the decimator: about
// 12,000, some 82 dB above full scale.
constexpr float kOutputBound = output_bound::kOscillatorPeak * output_bound::kFilterGain *
                               output_bound::kVoiceAmpPeak * kNumVoiceSlots * output_bound::kDecimatorGain;

} // namespace talvane
