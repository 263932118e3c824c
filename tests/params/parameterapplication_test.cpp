#include "source/params/parameterapplication.h"
#include "source/params/paramcurves.h"
#include "support/processordriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace talvane;
using talvane::testing::ProcessorDriver;

namespace {

constexpr float kRate = 44100.0f;

// What one parameter must set in the engine: read the quantity, and what it should be for x.
struct Row
{
    ParamId id;
    std::function<float(const SynthEngine&)> quantity;
    std::function<float(float)> expected;
};

float plainOf(ParamId id, float x)
{
    return static_cast<float>(indexFromNormalized(id, x));
}
float flag(bool b)
{
    return b ? 1.0f : 0.0f;
}

std::vector<Row> rows()
{
    std::vector<Row> r;
    auto same = [](float x) { return x; };
    auto add = [&r](ParamId id, std::function<float(const SynthEngine&)> q, std::function<float(float)> e) {
        r.push_back({id, std::move(q), std::move(e)});
    };
    add(
        kGlobalVolume, [](const SynthEngine& e) { return e.outputGain; }, [](float x) { return x * x * x; });
    add(
        kPortamento, [](const SynthEngine& e) { return e.portamento; }, same);
    struct EnvIds
    {
        int env;
        ParamId attack, decay, sustain, release;
    };
    for (EnvIds ids : {EnvIds{kAmpEnv, kAAttack, kADecay, kASustain, kARelease},
                       EnvIds{kFilterEnv, kFAttack, kFDecay, kFSustain, kFRelease},
                       EnvIds{kModEnv1, kEnv1Attack, kEnv1Decay, kEnv1Sustain, kEnv1Release},
                       EnvIds{kModEnv2, kEnv2Attack, kEnv2Decay, kEnv2Sustain, kEnv2Release}})
    {
        const int env = ids.env;
        auto settings = [env](const SynthEngine& e) -> const EnvelopeSettings& {
            return e.modulation.envelopes[env];
        };
        add(
            ids.attack, [=](const SynthEngine& e) { return settings(e).attackRate; },
            [](float x) { return 1.0f / ((x * x * x * 3.99999f + 0.00001f) * kRate); });
        add(
            ids.decay, [=](const SynthEngine& e) { return settings(e).decayRate; },
            [](float x) { return 1.0f / ((x * x * x * 3.995f + 0.005f) * kRate); });
        add(
            ids.sustain, [=](const SynthEngine& e) { return settings(e).sustain; }, same);
        add(
            ids.release, [=](const SynthEngine& e) { return settings(e).releaseRate; },
            [](float x) { return 1.0f / ((x * x * x * 19.995f + 0.005f) * kRate); });
    }
    add(
        kFOn, [](const SynthEngine& e) { return flag(e.filter.settings.on); },
        [](float x) { return plainOf(kFOn, x); });
    add(
        kFCutoff, [](const SynthEngine& e) { return e.filter.settings.cutoff; }, same);
    add(
        kFQ, [](const SynthEngine& e) { return e.filter.settings.resonance; }, same);
    add(
        kFType, [](const SynthEngine& e) { return static_cast<float>(e.filter.settings.type); },
        [](float x) { return plainOf(kFType, x); });
    add(
        kFAmount, [](const SynthEngine& e) { return e.filter.settings.envAmount; },
        [](float x) { return 2 * x - 1; });

    for (int i = 0; i < 3; ++i)
    {
        const ParamId base = osc_param::kFirst + static_cast<ParamId>(i) * osc_param::kStride;
        auto osc = [i](const SynthEngine& e) -> const OscillatorSettings& { return e.oscillators.osc[i]; };
        add(
            base + osc_param::kOn, [=](const SynthEngine& e) { return flag(osc(e).on); },
            [=](float x) { return plainOf(base + osc_param::kOn, x); });
        add(
            base + osc_param::kWaveform,
            [=](const SynthEngine& e) { return static_cast<float>(osc(e).waveform); },
            [=](float x) { return plainOf(base + osc_param::kWaveform, x); });
        add(
            base + osc_param::kPanning, [=](const SynthEngine& e) { return osc(e).panning; }, same);
        add(
            base + osc_param::kPhaseInit, [=](const SynthEngine& e) { return osc(e).phaseInit; }, same);
        add(
            base + osc_param::kRetrig, [=](const SynthEngine& e) { return flag(osc(e).retrig); },
            [=](float x) { return plainOf(base + osc_param::kRetrig, x); });
        add(
            base + osc_param::kOctave, [=](const SynthEngine& e) { return osc(e).octave; },
            [=](float x) { return 12.0f * plainOf(base + osc_param::kOctave, x); });
        add(
            base + osc_param::kDetune, [=](const SynthEngine& e) { return osc(e).detune; },
            [=](float x) { return plainOf(base + osc_param::kDetune, x); });
        add(
            base + osc_param::kFineTune, [=](const SynthEngine& e) { return osc(e).fineTune; },
            [](float x) { return (x - 0.5f) * 2.0f; });
        add(
            base + osc_param::kWaveStretch, [=](const SynthEngine& e) { return osc(e).stretch; }, same);
        add(
            base + osc_param::kInvert, [=](const SynthEngine& e) { return flag(osc(e).invert); },
            [=](float x) { return plainOf(base + osc_param::kInvert, x); });
        add(
            base + osc_param::kSterDeph, [=](const SynthEngine& e) { return osc(e).stereoDephase; }, same);
        add(
            kO1Mix + static_cast<ParamId>(i), [=](const SynthEngine& e) { return osc(e).mix; }, same);
    }
    add(
        kFmO1O2, [](const SynthEngine& e) { return e.oscillators.common.fm12; }, same);
    add(
        kFm3Amount, [](const SynthEngine& e) { return e.oscillators.common.fm3; }, same);
    add(
        kFm3O1O2Mix, [](const SynthEngine& e) { return e.oscillators.common.fm3Mix; }, same);
    add(
        kRm1x2, [](const SynthEngine& e) { return e.oscillators.common.rm12; }, same);
    add(
        kRm1x3, [](const SynthEngine& e) { return e.oscillators.common.rm13; }, same);
    add(
        kRm2x3, [](const SynthEngine& e) { return e.oscillators.common.rm23; }, same);
    add(
        kNoteMode, [](const SynthEngine& e) { return static_cast<float>(e.noteMode); },
        [](float x) { return plainOf(kNoteMode, x); });
    add(
        kPolyphony, [](const SynthEngine& e) { return static_cast<float>(e.polyphony); },
        [](float x) { return plainOf(kPolyphony, x); });
    add(
        kModWheel, [](const SynthEngine& e) { return e.modulation.inputs.modWheel; },
        [](float x) { return 2 * x - 1; });
    // With the default bend ranges of 1 semitone each way.
    add(
        kPitchBend, [](const SynthEngine& e) { return e.oscillators.common.pitchBendOffset; },
        [](float x) { return x >= 0.5f ? (x - 0.5f) * 2.0f : -(0.5f - x) * 2.0f; });
    add(
        kPbUp, [](const SynthEngine& e) { return e.oscillators.common.pitchBendOffset; },
        [](float) { return 0.0f; }); // no bend at the centre whatever the range
    add(
        kKeyFollow, [](const SynthEngine& e) { return e.filter.settings.keyFollow; }, same);
    add(
        kRefNote, [](const SynthEngine& e) { return static_cast<float>(e.filter.settings.referenceKey); },
        [](float x) { return plainOf(kRefNote, x) + 60.0f; });
    add(
        kRefOctave, [](const SynthEngine& e) { return static_cast<float>(e.filter.settings.referenceKey); },
        [](float x) { return 9.0f + 12.0f * plainOf(kRefOctave, x); });

    for (int l = 0; l < 2; ++l)
    {
        const ParamId base = lfo_param::kFirst + static_cast<ParamId>(l) * lfo_param::kStride;
        auto lfo = [l](const SynthEngine& e) -> const LfoSettings& { return e.modulation.lfos[l]; };
        add(
            base + lfo_param::kAmount, [=](const SynthEngine& e) { return lfo(e).amount; }, same);
        add(
            base + lfo_param::kWaveform,
            [=](const SynthEngine& e) { return static_cast<float>(lfo(e).waveform); },
            [=](float x) { return plainOf(base + lfo_param::kWaveform, x); });
        add(
            base + lfo_param::kFreq, [=](const SynthEngine& e) { return lfo(e).hz; },
            [](float x) { return std::exp(std::log(2000.9f) * x) - 1.0f + 0.1f; });
        add(
            base + lfo_param::kRetrig, [=](const SynthEngine& e) { return flag(lfo(e).retrig); },
            [=](float x) { return plainOf(base + lfo_param::kRetrig, x); });
        add(
            base + lfo_param::kSync, [=](const SynthEngine& e) { return flag(lfo(e).sync); },
            [=](float x) { return plainOf(base + lfo_param::kSync, x); });
        add(
            base + lfo_param::kInitPhase, [=](const SynthEngine& e) { return lfo(e).initPhase; }, same);
        add(
            base + lfo_param::kClipping, [=](const SynthEngine& e) { return lfo(e).clipping; },
            [](float x) { return 2 * x - 1; });
    }
    for (int m = 0; m < 2; ++m)
    {
        const ParamId base = matrix_param::kFirst + static_cast<ParamId>(m) * matrix_param::kStride;
        auto matrix = [m](const SynthEngine& e) -> const MatrixSettings& { return e.modulation.matrices[m]; };
        add(
            base + matrix_param::kSource,
            [=](const SynthEngine& e) { return static_cast<float>(matrix(e).source); },
            [=](float x) { return plainOf(base + matrix_param::kSource, x); });
        add(
            base + matrix_param::kAmount, [=](const SynthEngine& e) { return matrix(e).amount; }, same);
        add(
            base + matrix_param::kClipping, [=](const SynthEngine& e) { return matrix(e).clipping; },
            [](float x) { return 2 * x - 1; });
    }
    for (int e = 0; e < 2; ++e)
    {
        const ParamId base = env_param::kFirst + static_cast<ParamId>(e) * env_param::kStride;
        add(
            base + env_param::kAmount, [=](const SynthEngine& s) { return s.modulation.modEnvs[e].amount; },
            same);
        add(
            base + env_param::kType,
            [=](const SynthEngine& s) { return static_cast<float>(s.modulation.modEnvs[e].type); },
            [](float x) { return std::trunc(4.0f * x); });
    }
    // Every routing slot: the destination, then the amount shaped for it.
    struct Block
    {
        ParamId firstSlot;
        std::function<const ModSlots&(const SynthEngine&)> slots;
    };
    const std::vector<Block> blocks = {
        {kLfo1Dest1, [](const SynthEngine& e) -> const ModSlots& { return e.modulation.lfos[0].slots; }},
        {kLfo2Dest1, [](const SynthEngine& e) -> const ModSlots& { return e.modulation.lfos[1].slots; }},
        {kEnv1Dest1, [](const SynthEngine& e) -> const ModSlots& { return e.modulation.modEnvs[0].slots; }},
        {kEnv2Dest1, [](const SynthEngine& e) -> const ModSlots& { return e.modulation.modEnvs[1].slots; }},
        {kMatrix1Target1,
         [](const SynthEngine& e) -> const ModSlots& { return e.modulation.matrices[0].slots; }},
        {kMatrix2Target1,
         [](const SynthEngine& e) -> const ModSlots& { return e.modulation.matrices[1].slots; }},
    };
    for (const Block& b : blocks)
        for (int s = 0; s < 4; ++s)
        {
            const ParamId dest = b.firstSlot + 2 * static_cast<ParamId>(s);
            auto slots = b.slots;
            add(
                dest, [=](const SynthEngine& e) { return static_cast<float>(slots(e).target[s]); },
                [=](float x) { return plainOf(dest, x); });
            add(
                dest + 1, [=](const SynthEngine& e) { return slots(e).amount[s]; },
                [](float x) { return 2 * x - 1; });
        }
    return r;
}

} // namespace

TEST(ParameterApplication, EveryParameterSetsItsEngineQuantityThroughTheHost)
{
    const std::vector<Row> table = rows();
    std::vector<bool> covered(kNumParams, false);
    for (const Row& row : table)
        covered[row.id] = true;
    covered[kPanic] = true; // handled by the intake, never applied
    covered[kPbDown] = true;
    for (int id = 0; id < kNumParams; ++id)
        EXPECT_TRUE(covered[id]) << "no row for " << kParamNames[id];

    for (const Row& row : table)
    {
        ProcessorDriver d;
        for (float x : {0.0f, 0.1f, 0.37f, 0.5f, 0.8f, 1.0f})
        {
            d.set(row.id, x);
            d.process(16);
            EXPECT_EQ(row.quantity(d.engine()), row.expected(x)) << kParamNames[row.id] << " at " << x;
            EXPECT_EQ(d.plugin().parameterValue(row.id), x);
        }
    }
}

TEST(ParameterApplication, TimeLawsCoverTheirRanges)
{
    EXPECT_FLOAT_EQ(attackSeconds(0.0f), 0.00001f);
    EXPECT_FLOAT_EQ(attackSeconds(1.0f), 4.0f);
    EXPECT_FLOAT_EQ(decaySeconds(0.0f), 0.005f);
    EXPECT_FLOAT_EQ(decaySeconds(1.0f), 4.0f);
    EXPECT_FLOAT_EQ(releaseSeconds(0.0f), 0.005f);
    EXPECT_FLOAT_EQ(releaseSeconds(1.0f), 20.0f);
    EXPECT_FLOAT_EQ(lfoFrequencyHz(0.0f), 0.1f);
    EXPECT_NEAR(lfoFrequencyHz(1.0f), 2000.0f, 0.01f);
    EXPECT_NEAR(lfoFrequencyHz(0.1f), 1.239f, 0.001f);
}

TEST(ParameterApplication, PitchBendHalvesScaleIndependently)
{
    ProcessorDriver d;
    d.setPlain(kPbUp, 2);
    d.setPlain(kPbDown, 12);
    d.set(kPitchBend, 1.0);
    d.process(16);
    EXPECT_EQ(d.engine().oscillators.common.pitchBendOffset, 2.0f);
    d.set(kPitchBend, 0.0);
    d.process(16);
    EXPECT_EQ(d.engine().oscillators.common.pitchBendOffset, -12.0f);
    d.set(kPitchBend, 0.5);
    d.process(16);
    EXPECT_EQ(d.engine().oscillators.common.pitchBendOffset, 0.0f);
}

TEST(ParameterApplication, ReferenceKeyDefaultsTo69AndFollowsBothParts)
{
    ProcessorDriver d;
    EXPECT_EQ(d.engine().filter.settings.referenceKey, 69);
    d.setPlain(kRefOctave, 2);
    d.process(16);
    EXPECT_EQ(d.engine().filter.settings.referenceKey, 33);
    d.setPlain(kRefNote, 0);
    d.process(16);
    EXPECT_EQ(d.engine().filter.settings.referenceKey, 24);
}

TEST(ParameterApplication, ListSelectionsAtTheTopOfTheRange)
{
    ProcessorDriver d;
    d.set(kMatrix1Src, 1.0);
    d.process(16);
    EXPECT_EQ(d.engine().modulation.matrices[0].source, ModSource::Lfo2);
    EXPECT_FALSE(d.engine().modulation.routing.lfoInUse[1]) << "no target yet";
    d.setPlain(kMatrix1Target1, 7);
    d.process(16);
    EXPECT_TRUE(d.engine().modulation.routing.lfoInUse[1]);
    EXPECT_TRUE(d.engine().modulation.routing.matrixInUse[0]);
    EXPECT_FALSE(d.engine().modulation.routing.lfoInUse[0]);

    d.set(kEnv1Type, 1.0);
    d.process(16);
    EXPECT_EQ(d.engine().modulation.modEnvs[0].type, 4) << "4 acts as Bipolar-";
    d.set(kO1Octave, 0.1);
    d.process(16);
    EXPECT_EQ(d.engine().oscillators.osc[0].octave, -36.0f);
}

TEST(ParameterApplication, ASlotAmountIsReshapedWhenItsDestinationChanges)
{
    ProcessorDriver d;
    d.set(kLfo1Amount1, 0.75);
    d.setPlain(kLfo1Dest1, 15); // "OSC1 | Pitch": cubed
    d.process(16);
    EXPECT_EQ(d.engine().modulation.lfos[0].slots.amount[0], 0.125f);
    d.setPlain(kLfo1Dest1, 14); // "OSC1 | Mix": linear
    d.process(16);
    EXPECT_EQ(d.engine().modulation.lfos[0].slots.amount[0], 0.5f);
    EXPECT_TRUE(d.engine().modulation.routing.modulated[14]);
    EXPECT_FALSE(d.engine().modulation.routing.modulated[15]);
}

TEST(ParameterApplication, SlotShapingCurves)
{
    for (int cubed : {1, 7, 15, 21, 27})
        EXPECT_EQ(shapeSlotAmount(0.75f, cubed), 0.125f) << cubed;
    EXPECT_EQ(shapeSlotAmount(0.75f, 69), 0.03125f) << "fifth power for ENV2 | Slot2Amount";
    for (int linear : {0, 2, 39, 47, 68, 70, 83})
        EXPECT_EQ(shapeSlotAmount(0.75f, linear), 0.5f) << linear;
}

TEST(ParameterApplication, IdsBeyondTheTableChangeNothing)
{
    ProcessorDriver d;
    float before[kNumParams];
    for (int id = 0; id < kNumParams; ++id)
        before[id] = d.plugin().parameterValue(static_cast<ParamId>(id));
    d.set(147, 0.3);
    d.set(0xFFFFFFFFu, 0.3);
    d.process(64);
    for (int id = 0; id < kNumParams; ++id)
        EXPECT_EQ(d.plugin().parameterValue(static_cast<ParamId>(id)), before[id]);
}

TEST(ParameterApplication, SampleRateChangesRecomputeTheStageRates)
{
    ProcessorDriver d(48000.0);
    d.set(kARelease, 0.5);
    d.set(kEnv2Attack, 0.25);
    d.process(16);
    EXPECT_EQ(d.engine().modulation.envelopes[kAmpEnv].releaseRate, 1.0f / (releaseSeconds(0.5f) * 48000.0f));
    d.runner.context.sampleRate = 96000.0;
    d.process(16);
    EXPECT_EQ(d.engine().modulation.envelopes[kAmpEnv].releaseRate, 1.0f / (releaseSeconds(0.5f) * 96000.0f));
    EXPECT_EQ(d.engine().modulation.envelopes[kModEnv2].attackRate, 1.0f / (attackSeconds(0.25f) * 96000.0f));
}
