// The premises of the documented output bound, each checked against the stage it describes: the
// tables' peak, the decimator's gain and the ladder's largest gain at every accepted rate.
#include "source/engine/filter.h"
#include "source/engine/lookuptables.h"
#include "source/engine/noisebuffers.h"
#include "source/engine/outputbound.h"
#include "source/engine/outputstage.h"
#include "source/engine/wavetablebank.h"
#include "source/engine/waveforms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

using namespace talvane;

TEST(OutputBound, NoTableOrNoiseSampleExceedsThePeakItAssumes)
{
    const WavetableBank& bank = WavetableBank::shared();
    float peak = 0.0f;
    for (int w = 0; w < WavetableBank::kNumSlots; ++w)
        for (int note = 0; note < WavetableBank::kNumNotes; ++note)
        {
            if (w == waveform::kWhiteNoise || w == waveform::kPinkNoise)
                continue;
            const float* table = bank.table(w, note);
            for (int i = 0; i < WavetableBank::kTableLength; ++i)
                peak = std::max(peak, std::fabs(table[i]));
        }
    EXPECT_LE(peak, output_bound::kTablePeak);
    EXPECT_GT(peak, 0.9f * output_bound::kTablePeak) << "the assumed peak is far from the real one";
    auto noise = std::make_unique<NoiseBuffers>();
    noise->generate();
    for (int i = 0; i < NoiseBuffers::kLength; ++i)
    {
        ASSERT_LE(std::fabs(noise->whiteNoise()[i]), output_bound::kTablePeak);
        ASSERT_LE(std::fabs(noise->pinkNoise()[i]), output_bound::kTablePeak);
    }
}

TEST(OutputBound, TheDecimatorGainsNoMoreThanItAssumes)
{
    // The worst input for an output sample follows the signs of the taps: feed it and read the peak.
    // Output i takes, at an even tap k, internal sample 2i - k and, at an odd tap, 2i - k + 2 (the
    // later sample of each pair comes second).
    Decimator decimator;
    std::vector<float> input(2 * 64, 0.0f), output(64);
    constexpr int kOutput = 40;
    for (int k = 0; k < Decimator::kTaps; ++k)
        input[static_cast<size_t>(2 * kOutput - k + (k % 2 == 0 ? 0 : 2))] =
            Decimator::kCoefficients[k] >= 0.0f ? 1.0f : -1.0f;
    decimator.process(input.data(), output.data(), 64);
    float peak = 0.0f;
    for (float y : output)
        peak = std::max(peak, std::fabs(y));
    EXPECT_LE(peak, output_bound::kDecimatorGain);
    EXPECT_GT(peak, 0.99f * output_bound::kDecimatorGain);
}

namespace {

// The sum of magnitudes of the ladder's impulse response (its largest gain for any input in -1..1),
// over 4096 internal samples, with the last sub-block's largest sample to tell decay from growth.
struct ImpulseResponse
{
    double gain = 0.0;
    float tail = 0.0f;
};

ImpulseResponse impulseResponse(FilterStage& stage)
{
    auto bus = std::make_unique<ModBus>();
    std::memset(bus.get(), 0, sizeof(ModBus));
    FilterVoiceState state;
    state.start(60.0f, 60);
    ImpulseResponse response;
    constexpr int kSubBlocks = 128;
    for (int block = 0; block < kSubBlocks; ++block)
    {
        float left[kSubBlockInternalSamples] = {}, right[kSubBlockInternalSamples] = {};
        if (block == 0)
            left[0] = right[0] = 1.0f;
        stage.render(state, *bus, 0.0f, left, right);
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            if (!std::isfinite(left[j]))
            {
                response.gain = INFINITY;
                return response;
            }
            response.gain += std::fabs(left[j]);
            if (block == kSubBlocks - 1)
                response.tail = std::max(response.tail, std::fabs(left[j]));
        }
    }
    return response;
}

} // namespace

TEST(OutputBound, TheLadderStaysStableAndWithinItsGainAtEveryAcceptedRate)
{
    const float rates[] = {1000.0f, 1234.0f, 4000.0f, 8000.0f, 9600.0f, 11025.0f, 16000.0f, 22050.0f,
                           32000.0f, 40000.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f, 2000000.0f};
    for (float rate : rates)
    {
        FilterStage stage;
        stage.setSources(&LookupTables::shared(), rate);
        double largest = 0.0;
        for (int type = 0; type < 5; ++type)
            for (float q : {0.0f, 0.5f, 0.8f, 1.0f})
                for (int c = 0; c <= 64; ++c)
                {
                    stage.settings.type = static_cast<FilterType>(type);
                    stage.settings.resonance = q;
                    stage.settings.cutoff = static_cast<float>(c) / 64.0f;
                    const ImpulseResponse response = impulseResponse(stage);
                    largest = std::max(largest, response.gain);
                    ASSERT_LE(response.gain, output_bound::kFilterGain)
                        << rate << " Hz, type " << type << ", Q " << q << ", cutoff " << c / 64.0f;
                    // Low cutoffs ring long at high rates; elsewhere the ringing has died down.
                    if (static_cast<float>(c) / 64.0f * 44100.0f / rate > 0.1f)
                    {
                        ASSERT_LT(response.tail, 1.0e-2f)
                            << "still ringing: " << rate << " Hz, type " << type << ", Q " << q << ", cutoff " << c;
                    }
                }
        EXPECT_GT(largest, 1.0) << rate;
    }
}
