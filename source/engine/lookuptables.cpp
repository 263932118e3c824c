#include "source/engine/lookuptables.h"

#include "source/engine/laddertuning.h"
#include "source/params/paramcurves.h"

#include <cmath>
#include <complex>

namespace talvane {

namespace {
constexpr double kConcertPitchHz = 440.0;
constexpr double kConcertPitchNote = 69.0;

double noteHz(double note)
{
    return kConcertPitchHz *
           std::pow(2.0, (note - kConcertPitchNote) / static_cast<double>(kSemitonesPerOctave));
}

// Fitted to level the filter's resonance across the cutoff range.
double resonanceCompensationAt(double x)
{
    return (2.4723 - 1.355 * x) * x * x - 1.8967 * x + 1.0162;
}
// The ladder as a loop: x = s - K * y4 delayed by one sample, through two stages
// p (1 + z^-1) / (1 + f z^-1) and two stages (p + p2 z^-1) / (1 + f z^-1), with f = 2p - 1. By the
// Nyquist criterion the loop stops decaying at the gain K = 1 / |L| where the phase of
// L = z^-1 H1^2 H3^2 first reaches -180 degrees (or -540: the band-pass tuning can turn twice).
struct LadderLoop
{
    double p, p2, f;

    // The phase, unwrapped: every factor keeps its real part positive below the Nyquist frequency.
    double phase(double w) const
    {
        const double s = std::sin(w), c = std::cos(w);
        const double pole = std::atan2(-f * s, 1.0 + f * c);
        return -w + 2.0 * (-0.5 * w - pole) + 2.0 * (std::atan2(-p2 * s, p + p2 * c) - pole);
    }
    double magnitude(double w) const
    {
        const std::complex<double> delay = std::polar(1.0, -w);
        const std::complex<double> h1 = p * (1.0 + delay) / (1.0 + f * delay);
        const std::complex<double> h3 = (p + p2 * delay) / (1.0 + f * delay);
        return std::abs(delay * h1 * h1 * h3 * h3);
    }
};

double criticalLoopGainAt(double d, bool bandPass)
{
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kNoCrossing = 1.0e6; // the loop never turns far enough: any gain is stable
    constexpr int kGridPoints = 64; // logarithmic in frequency: the crossing falls low at low cutoffs
    constexpr double kLowestFrequency = 1.0e-7;
    constexpr int kBisections = 36;
    const double p = ladderTuning(d);
    const LadderLoop loop{p, bandPass ? ladderTuning(0.5 * d) : p, 2.0 * p - 1.0};
    double critical = kNoCrossing;
    const double logLow = std::log(kLowestFrequency), logHigh = std::log(kPi);
    double w0 = kLowestFrequency, phase0 = loop.phase(w0);
    for (int i = 1; i <= kGridPoints; ++i)
    {
        const double w1 = i == kGridPoints ? kPi * (1.0 - 1.0e-9)
                                           : std::exp(logLow + (logHigh - logLow) * i / kGridPoints);
        const double phase1 = loop.phase(w1);
        for (double target : {-kPi, -3.0 * kPi})
        {
            if ((phase0 - target) * (phase1 - target) > 0.0 || phase0 == phase1)
                continue;
            double low = w0, high = w1;
            for (int b = 0; b < kBisections; ++b)
            {
                const double mid = 0.5 * (low + high);
                if ((loop.phase(low) - target) * (loop.phase(mid) - target) <= 0.0)
                    high = mid;
                else
                    low = mid;
            }
            critical = std::min(critical, 1.0 / loop.magnitude(0.5 * (low + high)));
        }
        w0 = w1;
        phase0 = phase1;
    }
    return critical;
}
} // namespace

LookupTables::LookupTables()
{
    for (int i = 0; i < kNoteFrequencyLength; ++i)
        noteFrequency[i] = static_cast<float>(noteHz(static_cast<double>(i) / kStepsPerSemitone));
    for (int j = 0; j < kResonanceCompLength; ++j)
        resonanceCompensation[j] =
            static_cast<float>(resonanceCompensationAt(static_cast<double>(j) / kResonanceCompLength));
    // Entry 0 stands for the lowest cutoffs, where the loop is that of the ladder in the limit.
    constexpr double kLowestRelativeCutoff = 1.0e-6;
    for (int i = 0; i < kCriticalGainLength; ++i)
    {
        const double d = std::max(kLowestRelativeCutoff, static_cast<double>(i) / kCriticalGainSteps);
        criticalGainLadder[i] = static_cast<float>(criticalLoopGainAt(d, false));
        criticalGainBandPass[i] = static_cast<float>(criticalLoopGainAt(d, true));
    }
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
