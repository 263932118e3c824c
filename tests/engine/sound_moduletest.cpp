// The instrument's sound as a host hears it, through the built module.
#include "support/moduletest.h"

#include <cmath>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::AudioProcessRunner;

namespace {

constexpr double kRate = 44100.0;
constexpr int32 kBlock = 512;

// Amplitude of the component at `hz` over the window (a single-bin DFT).
double amplitudeAt(const std::vector<float>& x, size_t from, size_t count, double hz)
{
    double re = 0.0, im = 0.0;
    for (size_t i = 0; i < count; ++i)
    {
        const double w = 2.0 * M_PI * hz * static_cast<double>(i) / kRate;
        re += x[from + i] * std::cos(w);
        im -= x[from + i] * std::sin(w);
    }
    return 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(count);
}

class Sound : public talvane::testing::ModuleTest
{
protected:
    void renderNote(int16 pitch, int seconds)
    {
        ASSERT_EQ(plugin.setup(kRate, kBlock), kResultOk);
        AudioProcessRunner runner(plugin.processor(), kBlock, kRate);
        runner.events.noteOn(0, pitch, 1.0f);
        for (int i = 0; i < seconds * static_cast<int>(kRate) / kBlock; ++i)
            ASSERT_EQ(runner.process(kBlock), kResultOk);
        left = runner.renderedLeft;
        right = runner.renderedRight;
    }
    std::vector<float> left, right;
};

} // namespace

TEST_F(Sound, TheDefaultPatchPlaysABandLimitedSawAtTheNotesPitch)
{
    renderNote(69, 2);
    const size_t from = 22050, count = 44100; // one second after the attack has settled
    const double h1 = amplitudeAt(left, from, count, 440.0);
    // Saw fundamental 2/pi, a quarter per oscillator, the default volume 0.8^3 and the output
    // filter's gain of about 1.142 near DC.
    EXPECT_NEAR(h1, (2.0 / M_PI) * 0.25 * 0.512 * 1.142, 0.004);
    EXPECT_NEAR(amplitudeAt(left, from, count, 880.0) / h1, 1.0 / 2.0, 0.02);
    EXPECT_NEAR(amplitudeAt(left, from, count, 1320.0) / h1, 1.0 / 3.0, 0.02);
    // Higher up, the open low-pass and the output filter take a little off the 1/k slope.
    EXPECT_NEAR(amplitudeAt(left, from, count, 4400.0) / h1, 0.085, 0.015);
    // The right pitch, and nothing between the harmonics: no aliasing.
    EXPECT_LT(amplitudeAt(left, from, count, 437.0), h1 * 0.01);
    EXPECT_LT(amplitudeAt(left, from, count, 660.0), h1 * 1e-3);
    EXPECT_LT(amplitudeAt(left, from, count, 10230.0), h1 * 1e-3);
    // Centred oscillator without stereo dephase: both channels carry the same signal.
    EXPECT_EQ(left, right);
}

TEST_F(Sound, NoteOffReleasesAndTheVoiceEnds)
{
    ASSERT_EQ(plugin.setup(kRate, kBlock), kResultOk);
    AudioProcessRunner runner(plugin.processor(), kBlock, kRate);
    runner.events.noteOn(0, 60, 1.0f);
    runner.process(kBlock);
    runner.process(kBlock);
    runner.events.noteOff(0, 60);
    for (int i = 0; i < 4; ++i)
        runner.process(kBlock);
    // The default 5 ms release plus the output filter's 15-sample tail.
    for (int32 i = 0; i < kBlock; ++i)
        EXPECT_EQ(runner.left[i], 0.0f);
}
