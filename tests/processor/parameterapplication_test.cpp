#include "source/processor/parameterapplication.h"
#include "source/params/paramcurves.h"
#include "support/processordriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace talvane;
using talvane::testing::ProcessorDriver;

namespace {

constexpr float kRate = 44100.0f;

// A normalized value and the engine quantity it must give, worked out by hand.
struct Example
{
    float normalized;
    float quantity;
};
using Examples = std::vector<Example>;

// What one parameter must set in the engine: where to read the quantity, and worked examples.
struct Row
{
    ParamId id;
    std::function<float(const SynthEngine&)> quantity;
    Examples examples;
};

float flag(bool b)
{
    return b ? 1.0f : 0.0f;
}

// Stage rates are per host sample at 44.1 kHz: 1 / (seconds * 44100).
const Examples kAttackRates = {
    {0.0f, 2.2675737f}, {0.5f, 4.5350680e-05f}, {1.0f, 5.6689342e-06f}}; // 10 us, 0.50000875 s, 4 s
const Examples kDecayRates = {
    {0.0f, 0.0045351474f}, {0.5f, 4.4958091e-05f}, {1.0f, 5.6689342e-06f}}; // 5 ms, 0.504375 s, 4 s
const Examples kReleaseRates = {
    {0.0f, 0.0045351474f}, {0.5f, 9.0544495e-06f}, {1.0f, 1.1337868e-06f}}; // 5 ms, 2.504375 s, 20 s
const Examples kUnchanged = {{0.0f, 0.0f}, {0.37f, 0.37f}, {1.0f, 1.0f}};
const Examples kPlusMinusOne = {{0.0f, -1.0f}, {0.25f, -0.5f}, {0.5f, 0.0f}, {1.0f, 1.0f}};
const Examples kSwitch = {{0.0f, 0.0f}, {0.49f, 0.0f}, {0.5f, 1.0f}, {1.0f, 1.0f}};
const Examples kWaveforms = {{0.0f, 0.0f}, {0.5f, 7.0f}, {1.0f, 13.0f}};     // 14 entries
const Examples kDestinations = {{0.0f, 0.0f}, {0.5f, 42.0f}, {1.0f, 83.0f}}; // 84 entries

std::vector<Row> rows()
{
    std::vector<Row> r;
    auto add = [&r](ParamId id, std::function<float(const SynthEngine&)> q, Examples examples) {
        r.push_back({id, std::move(q), std::move(examples)});
    };
    add(kGlobalVolume, [](const SynthEngine& e) { return e.outputGain; },
        {{0.0f, 0.0f}, {0.5f, 0.125f}, {1.0f, 1.0f}});
    add(kPortamento, [](const SynthEngine& e) { return e.glideSeconds; },
        {{0.0f, 0.0f}, {0.25f, 0.5f}, {0.37f, 0.74f}, {1.0f, 2.0f}}); // seconds
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
            ids.attack, [=](const SynthEngine& e) { return settings(e).attackRate; }, kAttackRates);
        add(
            ids.decay, [=](const SynthEngine& e) { return settings(e).decayRate; }, kDecayRates);
        add(
            ids.sustain, [=](const SynthEngine& e) { return settings(e).sustain; }, kUnchanged);
        add(
            ids.release, [=](const SynthEngine& e) { return settings(e).releaseRate; }, kReleaseRates);
    }
    add(
        kFOn, [](const SynthEngine& e) { return flag(e.filter.settings.on); }, kSwitch);
    add(
        kFCutoff, [](const SynthEngine& e) { return e.filter.settings.cutoff; }, kUnchanged);
    add(
        kFQ, [](const SynthEngine& e) { return e.filter.settings.resonance; }, kUnchanged);
    add(kFType, [](const SynthEngine& e) { return static_cast<float>(e.filter.settings.type); },
        {{0.0f, 0.0f}, {0.3f, 1.0f}, {0.8f, 4.0f}, {1.0f, 4.0f}}); // LP, BP, Notch, Notch
    add(
        kFAmount, [](const SynthEngine& e) { return e.filter.settings.envAmount; }, kPlusMinusOne);

    for (int i = 0; i < 3; ++i)
    {
        const ParamId base = osc_param::kFirst + static_cast<ParamId>(i) * osc_param::kStride;
        auto osc = [i](const SynthEngine& e) -> const OscillatorSettings& { return e.oscillators.osc[i]; };
        add(
            base + osc_param::kOn, [=](const SynthEngine& e) { return flag(osc(e).on); }, kSwitch);
        add(
            base + osc_param::kWaveform,
            [=](const SynthEngine& e) { return static_cast<float>(osc(e).waveform); }, kWaveforms);
        add(
            base + osc_param::kPanning, [=](const SynthEngine& e) { return osc(e).panning; }, kUnchanged);
        add(
            base + osc_param::kPhaseInit, [=](const SynthEngine& e) { return osc(e).phaseInit; }, kUnchanged);
        add(
            base + osc_param::kRetrig, [=](const SynthEngine& e) { return flag(osc(e).retrig); }, kSwitch);
        // Semitones: -3 .. +3 octaves.
        add(base + osc_param::kOctave, [=](const SynthEngine& e) { return osc(e).octave; },
            {{0.0f, -36.0f}, {0.1f, -36.0f}, {0.5f, 0.0f}, {0.99f, 36.0f}, {1.0f, 36.0f}});
        add(base + osc_param::kDetune, [=](const SynthEngine& e) { return osc(e).detune; },
            {{0.0f, -12.0f}, {0.45f, -1.0f}, {0.5f, 0.0f}, {1.0f, 12.0f}});
        // Semitones: one either side of the centre.
        add(base + osc_param::kFineTune, [=](const SynthEngine& e) { return osc(e).fineTune; },
            {{0.0f, -1.0f}, {0.5f, 0.0f}, {0.75f, 0.5f}, {1.0f, 1.0f}});
        add(
            base + osc_param::kWaveStretch, [=](const SynthEngine& e) { return osc(e).stretch; }, kUnchanged);
        add(
            base + osc_param::kInvert, [=](const SynthEngine& e) { return flag(osc(e).invert); }, kSwitch);
        add(
            base + osc_param::kSterDeph, [=](const SynthEngine& e) { return osc(e).stereoDephase; },
            kUnchanged);
        add(
            kO1Mix + static_cast<ParamId>(i), [=](const SynthEngine& e) { return osc(e).mix; }, kUnchanged);
    }
    add(
        kFmO1O2, [](const SynthEngine& e) { return e.oscillators.common.fm12; }, kUnchanged);
    add(
        kFm3Amount, [](const SynthEngine& e) { return e.oscillators.common.fm3; }, kUnchanged);
    add(
        kFm3O1O2Mix, [](const SynthEngine& e) { return e.oscillators.common.fm3Mix; }, kUnchanged);
    add(
        kRm1x2, [](const SynthEngine& e) { return e.oscillators.common.rm12; }, kUnchanged);
    add(
        kRm1x3, [](const SynthEngine& e) { return e.oscillators.common.rm13; }, kUnchanged);
    add(
        kRm2x3, [](const SynthEngine& e) { return e.oscillators.common.rm23; }, kUnchanged);
    add(kNoteMode, [](const SynthEngine& e) { return static_cast<float>(e.noteMode); },
        {{0.0f, 0.0f}, {0.5f, 1.0f}, {1.0f, 2.0f}}); // Poly, Mono, Legato
    add(kPolyphony, [](const SynthEngine& e) { return static_cast<float>(e.polyphony); },
        {{0.0f, 1.0f}, {0.5f, 9.0f}, {1.0f, 16.0f}});
    add(
        kModWheel, [](const SynthEngine& e) { return e.modulation.inputs.modWheel; }, kPlusMinusOne);
    // Semitones, with the default bend ranges of 1 semitone each way.
    add(kPitchBend, [](const SynthEngine& e) { return e.oscillators.common.pitchBendOffset; },
        {{0.0f, -1.0f}, {0.25f, -0.5f}, {0.5f, 0.0f}, {0.75f, 0.5f}, {1.0f, 1.0f}});
    add(kPbUp, [](const SynthEngine& e) { return e.oscillators.common.pitchBendOffset; },
        {{0.0f, 0.0f}, {1.0f, 0.0f}}); // no bend at the centre whatever the range
    add(
        kKeyFollow, [](const SynthEngine& e) { return e.filter.settings.keyFollow; }, kUnchanged);
    // MIDI keys, with the other half of the reference at its default (octave "3", note "A").
    add(kRefNote, [](const SynthEngine& e) { return static_cast<float>(e.filter.settings.referenceKey); },
        {{0.0f, 60.0f}, {0.8f, 69.0f}, {1.0f, 71.0f}});
    add(kRefOctave, [](const SynthEngine& e) { return static_cast<float>(e.filter.settings.referenceKey); },
        {{0.0f, 9.0f}, {0.5f, 69.0f}, {1.0f, 117.0f}});

    for (int l = 0; l < 2; ++l)
    {
        const ParamId base = lfo_param::kFirst + static_cast<ParamId>(l) * lfo_param::kStride;
        auto lfo = [l](const SynthEngine& e) -> const LfoSettings& { return e.modulation.lfos[l]; };
        add(
            base + lfo_param::kAmount, [=](const SynthEngine& e) { return lfo(e).amount; }, kUnchanged);
        add(
            base + lfo_param::kWaveform,
            [=](const SynthEngine& e) { return static_cast<float>(lfo(e).waveform); }, kWaveforms);
        // The engine turns the knob position into hertz or a sync division itself.
        add(
            base + lfo_param::kFreq, [=](const SynthEngine& e) { return lfo(e).freq; }, kUnchanged);
        add(
            base + lfo_param::kRetrig, [=](const SynthEngine& e) { return flag(lfo(e).retrig); }, kSwitch);
        add(
            base + lfo_param::kSync, [=](const SynthEngine& e) { return flag(lfo(e).sync); }, kSwitch);
        add(
            base + lfo_param::kInitPhase, [=](const SynthEngine& e) { return lfo(e).initPhase; }, kUnchanged);
        add(
            base + lfo_param::kClipping, [=](const SynthEngine& e) { return lfo(e).clipping; },
            kPlusMinusOne);
    }
    for (int m = 0; m < 2; ++m)
    {
        const ParamId base = matrix_param::kFirst + static_cast<ParamId>(m) * matrix_param::kStride;
        auto matrix = [m](const SynthEngine& e) -> const MatrixSettings& { return e.modulation.matrices[m]; };
        add(base + matrix_param::kSource,
            [=](const SynthEngine& e) { return static_cast<float>(matrix(e).source); },
            {{0.0f, 0.0f}, {0.5f, 5.0f}, {1.0f, 9.0f}}); // None, FilterEnv, Lfo2
        add(
            base + matrix_param::kAmount, [=](const SynthEngine& e) { return matrix(e).amount; }, kUnchanged);
        add(
            base + matrix_param::kClipping, [=](const SynthEngine& e) { return matrix(e).clipping; },
            kPlusMinusOne);
    }
    for (int e = 0; e < 2; ++e)
    {
        const ParamId base = env_param::kFirst + static_cast<ParamId>(e) * env_param::kStride;
        add(
            base + env_param::kAmount, [=](const SynthEngine& s) { return s.modulation.modEnvs[e].amount; },
            kUnchanged);
        // Truncated: 1.0 gives 4, one past the last of the four types.
        add(base + env_param::kType,
            [=](const SynthEngine& s) { return static_cast<float>(s.modulation.modEnvs[e].type); },
            {{0.0f, 0.0f}, {0.3f, 1.0f}, {0.99f, 3.0f}, {1.0f, 4.0f}});
    }
    // Every routing slot: the destination, then the amount shaped for it (linear for "None").
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
                kDestinations);
            add(
                dest + 1, [=](const SynthEngine& e) { return slots(e).amount[s]; }, kPlusMinusOne);
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
        EXPECT_TRUE(covered[id]) << "no row for " << paramRecord(id).title.c_str();

    for (const Row& row : table)
    {
        ProcessorDriver d;
        for (const Example& example : row.examples)
        {
            d.set(row.id, example.normalized);
            d.process(16);
            const float tolerance = 2e-6f * std::fabs(example.quantity); // exact where 0
            EXPECT_NEAR(row.quantity(d.engine()), example.quantity, tolerance)
                << paramRecord(row.id).title.c_str() << " at " << example.normalized;
            EXPECT_EQ(d.plugin().parameterValue(row.id), example.normalized);
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
    // Release 0.5: 0.5^3 * 19.995 s + 5 ms = 2.504375 s, 1 / 120210 per sample at 48 kHz.
    EXPECT_FLOAT_EQ(d.engine().modulation.envelopes[kAmpEnv].releaseRate, 8.3187755e-06f);
    d.runner.context.sampleRate = 96000.0;
    d.process(16);
    EXPECT_FLOAT_EQ(d.engine().modulation.envelopes[kAmpEnv].releaseRate, 4.1593877e-06f); // 1 / 240420
    // Attack 0.25: 0.25^3 * 3.99999 s + 10 us = 0.06250984375 s, 1 / 6000.945 per sample at 96 kHz.
    EXPECT_FLOAT_EQ(d.engine().modulation.envelopes[kModEnv2].attackRate, 1.6664042e-04f);
}
