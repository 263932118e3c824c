// Lookup tables the engine reads while rendering: note number to frequency, the filter's resonance
// compensation over its cutoff, and the ladder's critical loop gain over its relative cutoff.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>

namespace talvane {

// Both tables are computed in double precision and stored as float. They do not depend on the
// sample rate, so one instance per process serves every processor (shared()).
class LookupTables
{
public:
    static constexpr int kNoteFrequencyLength = 65536;
    static constexpr double kNotesPerUnitPitch = 128.0; // the pitch v runs over note / 128
    static constexpr int kStepsPerSemitone = 512;
    static constexpr int kResonanceCompLength = 2048;
    static constexpr int kCriticalGainLength = 512;
    // The critical-gain table covers relative cutoffs (cutoff over half the internal rate) 0 .. this.
    static constexpr float kCriticalGainHighestCutoff = 0.8f;

    // The process's tables, built on first use (thread-safe).
    static const LookupTables& shared();
    // Tables of their own, for measuring the build; everything else uses shared().
    static std::unique_ptr<const LookupTables> build();

    ~LookupTables();
    LookupTables(const LookupTables&) = delete;
    LookupTables& operator=(const LookupTables&) = delete;

    // Frequency in Hz of the pitch v = note / 128: the table entry (int)(v × 65536) for v in [0, 1),
    // computed directly above the table's range; v below 0 (or NaN) counts as 0.
    float noteToHz(double v) const noexcept
    {
        if (!(v > 0.0))
            return noteFrequency[0];
        if (v >= 1.0)
            return hzAboveTable(v);
        return noteFrequency[static_cast<int>(v * kNoteFrequencyLength)];
    }

    // Resonance compensation at the relative cutoff b in [0, 1] (clamped; NaN counts as 0).
    float resonanceComp(double b) const noexcept
    {
        const double x = b > 0.0 ? std::min(b, 1.0) : 0.0;
        return resonanceCompensation[std::min(static_cast<int>(x * kResonanceCompLength),
                                              kResonanceCompLength - 1)];
    }

    // The ladder's critical loop gain (feedback × compensation) at the relative cutoff d: the gain at
    // which its feedback loop stops decaying and grows without limit. `bandPass` selects the tuning of
    // the band-pass type, whose two last stages sit an octave lower. The entry at or above d is read,
    // so between entries the answer errs on the low (stable) side; d is clamped to the table's range.
    float criticalLoopGain(bool bandPass, float d) const
    {
        const float position = d > 0.0f ? std::min(d, kCriticalGainHighestCutoff) : 0.0f;
        const auto index = static_cast<int>(std::ceil(position * kCriticalGainSteps));
        const float* table = bandPass ? criticalGainBandPass : criticalGainLadder;
        return table[std::min(index, kCriticalGainLength - 1)];
    }

    // Entry i = 440 × 2^((i/512 − 69)/12) Hz: 512 steps per semitone from note 0 up to note 128.
    const float* noteFrequencyTable() const { return noteFrequency; }
    // Entry j = (2.4723 − 1.355x)·x² − 1.8967x + 1.0162 with x = j/2048: falling from 1.0162 to about 0.237.
    const float* resonanceCompTable() const { return resonanceCompensation; }

    // 440 × 2^((128v − 69)/12), for pitches beyond the table.
    static float hzAboveTable(double v) noexcept;

private:
    LookupTables();

    float noteFrequency[kNoteFrequencyLength];
    float resonanceCompensation[kResonanceCompLength];
    static constexpr float kCriticalGainSteps =
        static_cast<float>(kCriticalGainLength - 1) / kCriticalGainHighestCutoff;
    float criticalGainLadder[kCriticalGainLength];
    float criticalGainBandPass[kCriticalGainLength];
};

} // namespace talvane
