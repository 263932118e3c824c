// Lookup tables the engine reads while rendering: note number to frequency, and the filter's
// resonance compensation over its cutoff.
#pragma once

#include <algorithm>
#include <memory>

namespace talvane {

// Both tables are computed in double precision and stored as float. They do not depend on the
// sample rate, so one instance per process serves every processor (shared()).
class LookupTables
{
public:
    static constexpr int kNoteFrequencyLength = 65536;
    static constexpr int kStepsPerSemitone = 512;
    static constexpr int kResonanceCompLength = 2048;

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
};

} // namespace talvane
