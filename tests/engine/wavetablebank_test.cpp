#include "source/engine/waveformspectra.h"
#include "source/engine/waveforms.h"
#include "source/engine/wavetablebank.h"

#include <gtest/gtest.h>

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

using namespace talvane;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTableLength = WavetableBank::kTableLength;
constexpr int kPeriodicWaveforms[] = {
    waveform::kSaw,        waveform::kSine,      waveform::kTri,
    waveform::kSquare,     waveform::kFourSteps, waveform::kThirtyThreeSquare,
    waveform::kAsymSquare, waveform::kTrapezoid, waveform::kSmoothSaw1,
    waveform::kSmoothSaw2, waveform::kRectified, waveform::kHalfRectified};

// The Fourier coefficients (index 0: DC, as the plain mean) of one period sampled at `samples`.
std::vector<Harmonic> fourierCoefficients(const std::vector<double>& samples)
{
    const int n = static_cast<int>(samples.size());
    std::vector<double> input(samples);
    std::vector<std::complex<double>> spectrum(n / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, input.data(), reinterpret_cast<fftw_complex*>(spectrum.data()),
                                          FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    std::vector<Harmonic> harmonics(spectrum.size());
    harmonics[0].cosine = spectrum[0].real() / n;
    for (size_t k = 1; k < spectrum.size(); ++k)
        harmonics[k] = {2.0 * spectrum[k].real() / n, -2.0 * spectrum[k].imag() / n};
    return harmonics;
}

std::vector<Harmonic> tableCoefficients(const float* table)
{
    return fourierCoefficients(std::vector<double>(table, table + kTableLength));
}

// The Fourier integral of an ideal shape by the midpoint rule on a fine grid whose cells end on every
// step of the shapes (multiples of 1/12). The half-cell offset of the midpoints is a phase factor.
std::vector<Harmonic> integratedCoefficients(const std::function<double(double)>& shape)
{
    constexpr int kCells = 12 * 16384;
    std::vector<double> samples(kCells);
    for (int j = 0; j < kCells; ++j)
        samples[j] = shape((j + 0.5) / kCells);
    std::vector<Harmonic> harmonics = fourierCoefficients(samples);
    for (size_t k = 1; k < harmonics.size(); ++k)
    {
        const std::complex<double> shifted = std::complex<double>(harmonics[k].cosine, -harmonics[k].sine) *
                                             std::polar(1.0, -kPi * k / kCells);
        harmonics[k] = {shifted.real(), -shifted.imag()};
    }
    return harmonics;
}

// The series of a waveform summed up to `count` harmonics at phase φ.
double seriesValue(int w, double phase, int count)
{
    double sum = 0.0;
    for (int k = 1; k <= count; ++k)
    {
        const Harmonic h = waveformHarmonic(w, k);
        sum += h.cosine * std::cos(2.0 * kPi * k * phase) + h.sine * std::sin(2.0 * kPi * k * phase);
    }
    return sum;
}

struct IdealShape
{
    int waveform;
    std::function<double(double)> shape;
};

double stepOverSixths(double phase, const double (&levels)[6])
{
    return levels[std::min(5, int(phase * 6))];
}

const std::vector<IdealShape>& idealShapes()
{
    static const std::vector<IdealShape> shapes = {
        {waveform::kSaw, [](double p) { return p < 0.5 ? 2.0 * p : 2.0 * p - 2.0; }},
        {waveform::kSine, [](double p) { return std::sin(2.0 * kPi * p); }},
        {waveform::kTri,
         [](double p) { return p < 0.25   ? 4.0 * p
                               : p < 0.75 ? 2.0 - 4.0 * p
                                          : 4.0 * p - 4.0; }},
        {waveform::kSquare, [](double p) { return p < 0.5 ? 1.0 : -1.0; }},
        {waveform::kFourSteps,
         [](double p) {
             return stepOverSixths(p, {0.5, 1.0, 0.5, -0.5, -1.0, -0.5});
         }},
        {waveform::kThirtyThreeSquare,
         [](double p) {
             return stepOverSixths(p, {0.0, 1.0, 0.0, 0.0, -1.0, 0.0});
         }},
        {waveform::kAsymSquare, [](double p) { return p > 1.0 / 12 && p < 5.0 / 12 ? 1.0 : -0.5; }},
        {waveform::kTrapezoid,
         [](double p) {
             if (p < 1.0 / 6)
                 return 6.0 * p;
             if (p < 1.0 / 3)
                 return 1.0;
             if (p < 2.0 / 3)
                 return 3.0 - 6.0 * p;
             if (p < 5.0 / 6)
                 return -1.0;
             return 6.0 * p - 6.0;
         }},
        {waveform::kRectified,
         [](double p) {
             return (std::fabs(std::sin(2.0 * kPi * (p - 0.3861))) - 2.0 / kPi) / (1.0 - 2.0 / kPi);
         }},
        {waveform::kHalfRectified,
         [](double p) { return (std::max(std::sin(2.0 * kPi * p), 0.0) - 1.0 / kPi) / (1.0 - 1.0 / kPi); }},
    };
    return shapes;
}

} // namespace

TEST(WaveformSpectra, CoefficientsMatchTheIdealShapes)
{
    constexpr int kCheckedHarmonics = 512;
    for (const IdealShape& ideal : idealShapes())
    {
        const std::vector<Harmonic> integrated = integratedCoefficients(ideal.shape);
        EXPECT_NEAR(integrated[0].cosine, 0.0, 1e-9) << "waveform " << ideal.waveform << " is DC-free";
        double worst = 0.0;
        int worstHarmonic = 0;
        for (int k = 1; k <= kCheckedHarmonics; ++k)
        {
            const Harmonic h = waveformHarmonic(ideal.waveform, k);
            const double error =
                std::max(std::fabs(h.cosine - integrated[k].cosine), std::fabs(h.sine - integrated[k].sine));
            if (error > worst)
            {
                worst = error;
                worstHarmonic = k;
            }
        }
        EXPECT_LT(worst, 1e-7) << "waveform " << ideal.waveform << ", harmonic " << worstHarmonic;
    }
}

TEST(WaveformSpectra, SpectrumDefinedWaveformsAndStatedValues)
{
    EXPECT_NEAR(waveformHarmonic(waveform::kSmoothSaw2, 1).sine, 0.63345, 5e-6);
    EXPECT_DOUBLE_EQ(waveformHarmonic(waveform::kSmoothSaw2, 10).sine, -2.0 / kPi / (10.0 * 1.5));
    EXPECT_DOUBLE_EQ(waveformHarmonic(waveform::kSmoothSaw1, 16).sine, -2.0 / kPi / 32.0);
    EXPECT_DOUBLE_EQ(waveformHarmonic(waveform::kSmoothSaw1, 1).sine, 2.0 / kPi);
    for (int k = 1; k <= 8; ++k)
    {
        EXPECT_EQ(waveformHarmonic(waveform::kSmoothSaw1, k).cosine, 0.0);
        EXPECT_EQ(waveformHarmonic(waveform::kSmoothSaw2, k).cosine, 0.0);
    }

    // Values of the ideal shapes, summed from the series far enough to converge.
    constexpr int kManyHarmonics = 1 << 15;
    EXPECT_NEAR(seriesValue(waveform::kRectified, 0.3861, kManyHarmonics), -1.7519, 1e-4) << "cusp";
    EXPECT_NEAR(seriesValue(waveform::kRectified, 0.8861, kManyHarmonics), -1.7519, 1e-4) << "cusp";
    EXPECT_NEAR(seriesValue(waveform::kRectified, 0.6361, kManyHarmonics), 1.0, 1e-4) << "peak";
    EXPECT_NEAR(seriesValue(waveform::kHalfRectified, 0.25, kManyHarmonics), 1.0, 1e-4) << "peak";
    EXPECT_NEAR(seriesValue(waveform::kHalfRectified, 0.75, kManyHarmonics), -0.4669, 1e-4) << "flat";
    EXPECT_NEAR(seriesValue(waveform::kHalfRectified, 0.6, kManyHarmonics), -0.4669, 1e-4) << "flat";
}

TEST(WaveformSpectra, MissingHarmonicsAreExactlyZero)
{
    for (int k = 1; k <= WavetableBank::kMaxPartials; ++k)
    {
        const bool even = k % 2 == 0;
        const bool multipleOf3 = k % 3 == 0;
        for (int w : {waveform::kTri, waveform::kSquare, waveform::kThirtyThreeSquare})
            EXPECT_EQ(waveformHarmonic(w, k).isZero(), even) << "waveform " << w << ", harmonic " << k;
        for (int w : {waveform::kFourSteps, waveform::kTrapezoid})
            EXPECT_EQ(waveformHarmonic(w, k).isZero(), even || multipleOf3)
                << "waveform " << w << ", k " << k;
        EXPECT_EQ(waveformHarmonic(waveform::kAsymSquare, k).isZero(), multipleOf3) << k;
        EXPECT_EQ(waveformHarmonic(waveform::kRectified, k).isZero(), !even) << k;
        EXPECT_EQ(waveformHarmonic(waveform::kHalfRectified, k).isZero(), !even && k != 1) << k;
        EXPECT_EQ(waveformHarmonic(waveform::kSine, k).isZero(), k != 1) << k;
        EXPECT_FALSE(waveformHarmonic(waveform::kSaw, k).isZero()) << k;
    }
    for (int w : {waveform::kWhiteNoise, waveform::kPinkNoise, -1, waveform::kCount})
        EXPECT_TRUE(waveformHarmonic(w, 1).isZero()) << w;
    EXPECT_TRUE(waveformHarmonic(waveform::kSaw, 0).isZero()) << "no DC term";
}

TEST(WavetableBank, PartialCountsFollowTheOctaveHalvingRule)
{
    EXPECT_EQ(WavetableBank::partialCount(0), 2044);
    EXPECT_EQ(WavetableBank::partialCount(127), 2);
    EXPECT_EQ(WavetableBank::partialCount(69), 50);
    EXPECT_EQ(WavetableBank::partialCount(128 + 69), 50) << "notes are taken modulo 128";

    // Lowest octave: the partials up to about 21,963 Hz; each octave up half as many, rounded up.
    // Notes 14, 26 and 38 keep one partial less than the rule.
    std::vector<int> uncapped;
    for (int note = 0; note < WavetableBank::kNumNotes; ++note)
    {
        if (note < 12)
            uncapped.push_back(int(21963.0 / (440.0 * std::pow(2.0, (note - 69) / 12.0))));
        else
            uncapped.push_back((uncapped[note - 12] + 1) / 2);
        const int lessByOne = note == 14 || note == 26 || note == 38 ? 1 : 0;
        EXPECT_EQ(WavetableBank::partialCount(note), std::min(uncapped[note], 2044) - lessByOne) << note;
    }
}

TEST(WavetableBank, EveryTableIsItsSeriesTruncatedAfterThePartialCount)
{
    const WavetableBank& bank = WavetableBank::shared();
    for (int w : kPeriodicWaveforms)
    {
        std::vector<Harmonic> expected(kTableLength / 2 + 1);
        for (int k = 1; k <= WavetableBank::kMaxPartials; ++k)
            expected[k] = waveformHarmonic(w, k);
        for (int note = 0; note < WavetableBank::kNumNotes; ++note)
        {
            const std::vector<Harmonic> actual = tableCoefficients(bank.table(w, note));
            const int count = WavetableBank::partialCount(note);
            double worst = std::fabs(actual[0].cosine);
            for (int k = 1; k < static_cast<int>(actual.size()); ++k)
            {
                const Harmonic wanted = k <= count ? expected[k] : Harmonic{};
                worst = std::max({worst, std::fabs(actual[k].cosine - wanted.cosine),
                                  std::fabs(actual[k].sine - wanted.sine)});
            }
            EXPECT_LT(worst, 1e-7) << "waveform " << w << ", note " << note;
        }
    }
}

TEST(WavetableBank, HighestSawPartialIsThePartialCount)
{
    const WavetableBank& bank = WavetableBank::shared();
    for (int note = 0; note < WavetableBank::kNumNotes; ++note)
    {
        const std::vector<Harmonic> saw = tableCoefficients(bank.table(waveform::kSaw, note));
        int highest = 0;
        for (int k = 1; k < static_cast<int>(saw.size()); ++k)
            if (std::fabs(saw[k].sine) > 1e-6)
                highest = k;
        EXPECT_EQ(highest, WavetableBank::partialCount(note)) << note;
    }
}

TEST(WavetableBank, TablesAtTheEndsOfTheKeyboard)
{
    const WavetableBank& bank = WavetableBank::shared();

    const float* topSaw = bank.table(waveform::kSaw, 127);
    const auto [low, high] = std::minmax_element(topSaw, topSaw + kTableLength);
    EXPECT_NEAR(*high, 0.827, 1e-3);
    EXPECT_NEAR(*low, -0.827, 1e-3);

    // Only the first harmonic of the square lies within the top note's two partials.
    const float* topSquare = bank.table(waveform::kSquare, 127);
    for (int i = 0; i < kTableLength; ++i)
        ASSERT_NEAR(topSquare[i], 4.0 / kPi * std::sin(2.0 * kPi * i / kTableLength), 1e-6) << i;

    const float* sine = bank.table(waveform::kSine, 0);
    for (int i = 0; i < kTableLength; ++i)
        ASSERT_NEAR(sine[i], std::sin(2.0 * kPi * i / kTableLength), 1e-7) << i;
    for (int note = 1; note < WavetableBank::kNumNotes; ++note)
        EXPECT_EQ(std::memcmp(bank.table(waveform::kSine, note), sine, kTableLength * sizeof(float)), 0)
            << note;

    // The lowest note's tables come close to the ideal shapes at their smooth points.
    const float* rectified = bank.table(waveform::kRectified, 0);
    EXPECT_NEAR(*std::min_element(rectified, rectified + kTableLength), -1.7519, 2e-3);
    EXPECT_NEAR(*std::max_element(rectified, rectified + kTableLength), 1.0, 1e-3);
    EXPECT_NEAR(bank.tableSample(waveform::kTri, 0, kTableLength / 4), 1.0, 1e-3);
    EXPECT_NEAR(bank.tableSample(waveform::kHalfRectified, 0, 3 * kTableLength / 4), -0.4669, 1e-3);
}

TEST(WavetableBank, TablesStartAtPhaseZero)
{
    const WavetableBank& bank = WavetableBank::shared();
    for (int note : {0, 60, 127})
    {
        EXPECT_NEAR(bank.tableSample(waveform::kSaw, note, 0), 0.0f, 1e-6) << note;
        EXPECT_GT(bank.tableSample(waveform::kSaw, note, 1), 0.0f) << "saw rises through 0, note " << note;
        EXPECT_NEAR(bank.tableSample(waveform::kSine, note, 0), 0.0f, 1e-7);
        EXPECT_NEAR(bank.tableSample(waveform::kSine, note, kTableLength / 4), 1.0f, 1e-7);
        EXPECT_NEAR(bank.tableSample(waveform::kSquare, note, 0), 0.0f, 1e-6) << "at its jump";
    }
    // The saw jumps from +1 to −1 half-way.
    EXPECT_GT(bank.tableSample(waveform::kSaw, 0, kTableLength / 2 - 2), 0.9f);
    EXPECT_LT(bank.tableSample(waveform::kSaw, 0, kTableLength / 2 + 2), -0.9f);
}

TEST(WavetableBank, AddressingWrapsAndNoiseSlotsAreSilent)
{
    const WavetableBank& bank = WavetableBank::shared();
    EXPECT_EQ(bank.tableSample(waveform::kTri, 60 + 128, 100 + kTableLength),
              bank.table(waveform::kTri, 60)[100]);
    EXPECT_EQ(bank.tableSample(waveform::kSaw, -1, -1), bank.table(waveform::kSaw, 127)[kTableLength - 1]);
    EXPECT_EQ(bank.table(waveform::kHalfRectified + 16, 5), bank.table(waveform::kHalfRectified, 5));

    for (int w : {waveform::kWhiteNoise, waveform::kPinkNoise, 14, 15})
        for (int note : {0, 127})
        {
            const float* table = bank.table(w, note);
            EXPECT_TRUE(std::all_of(table, table + kTableLength, [](float s) { return s == 0.0f; })) << w;
        }
}

TEST(WavetableBank, SharedBankIsBuiltOnceForAllThreads)
{
    const WavetableBank* seen[2] = {};
    std::thread first([&] { seen[0] = &WavetableBank::shared(); });
    std::thread second([&] { seen[1] = &WavetableBank::shared(); });
    first.join();
    second.join();
    EXPECT_NE(seen[0], nullptr);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], &WavetableBank::shared());
}
