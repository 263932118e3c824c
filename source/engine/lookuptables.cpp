#include "source/engine/lookuptables.h"

#include <cmath>

namespace talvane {

namespace {
constexpr double kConcertPitchHz = 440.0;
constexpr double kConcertPitchNote = 69.0;
constexpr double kSemitonesPerOctave = 12.0;
constexpr double kNotesPerUnitPitch = 128.0; // the pitch v runs over note / 128

double noteHz(double note)
{
    return kConcertPitchHz * std::pow(2.0, (note - kConcertPitchNote) / kSemitonesPerOctave);
}

// Fitted to level the filter's resonance across the cutoff range.
double resonanceCompensationAt(double x)
{
    return (2.4723 - 1.355 * x) * x * x - 1.8967 * x + 1.0162;
}
} // namespace

LookupTables::LookupTables()
{
    for (int i = 0; i < kNoteFrequencyLength; ++i)
        noteFrequency[i] = static_cast<float>(noteHz(static_cast<double>(i) / kStepsPerSemitone));
    for (int j = 0; j < kResonanceCompLength; ++j)
        resonanceCompensation[j] =
            static_cast<float>(resonanceCompensationAt(static_cast<double>(j) / kResonanceCompLength));
}

LookupTables::~LookupTables() = default;

float LookupTables::hzAboveTable(double v) noexcept
{
    return static_cast<float>(noteHz(kNotesPerUnitPitch * v));
}

std::unique_ptr<const LookupTables> LookupTables::build()
{
    return std::unique_ptr<const LookupTables>(new LookupTables());
}

const LookupTables& LookupTables::shared()
{
    static const std::unique_ptr<const LookupTables> tables = build();
    return *tables;
}

} // namespace talvane
