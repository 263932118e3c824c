#include "source/processor/parameterapplication.h"

#include "source/engine/synthengine.h"
#include "source/params/paramcurves.h"
#include "source/params/paramtable.h"

namespace talvane {

namespace {

// Destinations whose slot amounts are cubed: fine control near zero for pitch and cutoff.
bool isCubedDestination(int destination)
{
    return destination == mod_dest::kPitch || destination == mod_dest::kFilterCutoff ||
           destination == mod_dest::osc(0, mod_dest::kOscPitch) ||
           destination == mod_dest::osc(1, mod_dest::kOscPitch) ||
           destination == mod_dest::osc(2, mod_dest::kOscPitch);
}

// One destination, "ENV2 | Slot2Amount" (69), takes its amounts to the fifth power. It is part of
// the instrument's sound: saved projects and the factory sounds that route to it were voiced with
// this curve, and the golden renders pin it. The curve's second destination number, 84, lies past
// the last destination and never matches.
constexpr int kFifthPowerDestination = mod_dest::modEnv(1, mod_dest::kModEnvFirstSlotAmount + 1);

int plain(ParamId id, float x)
{
    return indexFromNormalized(id, x);
}
bool isOn(ParamId id, float x)
{
    return plain(id, x) != 0;
}

void recomputePitchBend(SynthEngine& engine, const float* values)
{
    const float bend = values[kPitchBend];
    const float up = static_cast<float>(plain(kPbUp, values[kPbUp]));
    const float down = static_cast<float>(plain(kPbDown, values[kPbDown]));
    engine.oscillators.common.pitchBendOffset =
        bend >= 0.5f ? (bend - 0.5f) * up * 2.0f : -(0.5f - bend) * down * 2.0f;
    // The matrix source "PitchBend" follows the parameter itself.
    engine.modulation.inputs.pitchBend = bipolar(bend);
}

void recomputeReferenceKey(SynthEngine& engine, const float* values)
{
    engine.filter.settings.referenceKey =
        plain(kRefNote, values[kRefNote]) +
        static_cast<int>(kSemitonesPerOctave) * plain(kRefOctave, values[kRefOctave]);
}

// Stage times: the setting is always kept, the rate only once the host rate is known. The
// record's law says which stage the parameter sets.
void applyEnvelope(SynthEngine& engine, EnvelopeSettings& env, ParamId id, float x)
{
    const float rate = engine.hostRate();
    switch (paramRecord(id).law)
    {
    case EngineLaw::AttackTime:
        env.attack = x;
        if (rate != 0.0f)
            env.attackRate = stageRate(engineQuantity(id, x), rate);
        break;
    case EngineLaw::DecayTime:
        env.decay = x;
        if (rate != 0.0f)
            env.decayRate = stageRate(engineQuantity(id, x), rate);
        break;
    case EngineLaw::ReleaseTime:
        env.release = x;
        if (rate != 0.0f)
            env.releaseRate = stageRate(engineQuantity(id, x), rate);
        break;
    default: // the sustain level
        env.sustain = engineQuantity(id, x);
        break;
    }
}

// The four (destination, amount) pairs that end every modulator block.
void applySlot(SynthEngine& engine, ModSlots& slots, ParamId firstSlotId, const float* values, ParamId id,
               float x)
{
    const int slot = static_cast<int>((id - firstSlotId) / kSlotStride);
    const bool isDestination = (id - firstSlotId) % kSlotStride == 0;
    if (isDestination)
    {
        slots.target[slot] = plain(id, x);
        engine.modulation.rebuildModulationUse();
        // The amount keeps its knob position and is re-shaped for the new destination.
        slots.amount[slot] = shapeSlotAmount(values[id + 1], slots.target[slot]);
    }
    else
    {
        slots.amount[slot] = shapeSlotAmount(x, slots.target[slot]);
    }
}

void applyOscillator(SynthEngine& engine, int i, ParamId offset, ParamId id, float x)
{
    OscillatorSettings& osc = engine.oscillators.osc[i];
    switch (offset)
    {
    case osc_param::kOn:
        osc.on = isOn(id, x);
        break;
    case osc_param::kWaveform:
        osc.waveform = plain(id, x);
        break;
    case osc_param::kPanning:
        osc.panning = x;
        break;
    case osc_param::kPhaseInit:
        osc.phaseInit = x;
        break;
    case osc_param::kRetrig:
        osc.retrig = isOn(id, x);
        break;
    case osc_param::kOctave:
        osc.octave = engineQuantity(id, x);
        break;
    case osc_param::kDetune:
        osc.detune = engineQuantity(id, x);
        break;
    case osc_param::kFineTune:
        osc.fineTune = engineQuantity(id, x);
        break;
    case osc_param::kWaveStretch:
        osc.stretch = x;
        break;
    case osc_param::kInvert:
        osc.invert = isOn(id, x);
        break;
    case osc_param::kSterDeph:
        osc.stereoDephase = x;
        break;
    default:
        break;
    }
}

void applyLfo(SynthEngine& engine, int l, ParamId offset, const float* values, ParamId id, float x)
{
    LfoSettings& lfo = engine.modulation.lfos[l];
    switch (offset)
    {
    case lfo_param::kAmount:
        lfo.amount = x;
        break;
    case lfo_param::kWaveform:
        lfo.waveform = plain(id, x);
        break;
    case lfo_param::kFreq:
        lfo.freq = x;
        break;
    case lfo_param::kRetrig:
        lfo.retrig = isOn(id, x);
        break;
    case lfo_param::kSync:
        lfo.sync = isOn(id, x);
        break;
    case lfo_param::kInitPhase:
        lfo.initPhase = x;
        break;
    case lfo_param::kClipping:
        lfo.clipping = engineQuantity(id, x);
        break;
    default:
        applySlot(engine, lfo.slots, lfo_param::kFirst + l * lfo_param::kStride + lfo_param::kFirstSlot,
                  values, id, x);
        break;
    }
}

void applyModEnv(SynthEngine& engine, int e, ParamId offset, const float* values, ParamId id, float x)
{
    ModEnvSettings& env = engine.modulation.modEnvs[e];
    EnvelopeSettings& times = engine.modulation.envelopes[kModEnv1 + e];
    switch (offset)
    {
    case env_param::kAmount:
        env.amount = x;
        break;
    case env_param::kType:
        // Truncated, not binned: 1.0 gives 4, which the engine treats as the last type.
        env.type = static_cast<int>(engineQuantity(id, x));
        break;
    case env_param::kAttack:
    case env_param::kDecay:
    case env_param::kSustain:
    case env_param::kRelease:
        applyEnvelope(engine, times, id, x);
        break;
    default:
        applySlot(engine, env.slots, env_param::kFirst + e * env_param::kStride + env_param::kFirstSlot,
                  values, id, x);
        break;
    }
}

void applyMatrix(SynthEngine& engine, int m, ParamId offset, const float* values, ParamId id, float x)
{
    MatrixSettings& matrix = engine.modulation.matrices[m];
    switch (offset)
    {
    case matrix_param::kSource:
        matrix.source = static_cast<ModSource>(plain(id, x));
        engine.modulation.rebuildModulationUse();
        break;
    case matrix_param::kAmount:
        matrix.amount = x;
        break;
    case matrix_param::kClipping:
        matrix.clipping = engineQuantity(id, x);
        break;
    default:
        applySlot(engine, matrix.slots,
                  matrix_param::kFirst + m * matrix_param::kStride + matrix_param::kFirstSlot, values, id, x);
        break;
    }
}

bool inBlock(ParamId id, ParamId first, ParamId stride, int count, int& index, ParamId& offset)
{
    if (id < first || id >= first + stride * static_cast<ParamId>(count))
        return false;
    index = static_cast<int>((id - first) / stride);
    offset = (id - first) % stride;
    return true;
}

} // namespace

float shapeSlotAmount(float amount, int destination)
{
    const float s = bipolar(amount);
    if (isCubedDestination(destination))
        return s * s * s;
    if (destination == kFifthPowerDestination)
        return s * s * s * s * s;
    return s;
}

void applyParameterToEngine(SynthEngine& engine, const float* values, ParamId id, float x)
{
    if (id >= static_cast<ParamId>(kNumParams))
        return;
    int index = 0;
    ParamId offset = 0;
    if (inBlock(id, osc_param::kFirst, osc_param::kStride, kNumOscillators, index, offset))
        return applyOscillator(engine, index, offset, id, x);
    if (inBlock(id, lfo_param::kFirst, lfo_param::kStride, kNumLfos, index, offset))
        return applyLfo(engine, index, offset, values, id, x);
    if (inBlock(id, env_param::kFirst, env_param::kStride, kNumModEnvelopes, index, offset))
        return applyModEnv(engine, index, offset, values, id, x);
    if (inBlock(id, matrix_param::kFirst, matrix_param::kStride, kNumMatrices, index, offset))
        return applyMatrix(engine, index, offset, values, id, x);

    EnvelopeSettings& amp = engine.modulation.envelopes[kAmpEnv];
    EnvelopeSettings& filterEnv = engine.modulation.envelopes[kFilterEnv];
    FilterSettings& filter = engine.filter.settings;
    OscillatorCommonSettings& common = engine.oscillators.common;
    switch (id)
    {
    case kGlobalVolume:
        engine.outputGain = engineQuantity(id, x);
        break;
    case kPortamento:
        engine.glideSeconds = engineQuantity(id, x);
        break;
    case kAAttack:
    case kADecay:
    case kASustain:
    case kARelease:
        applyEnvelope(engine, amp, id, x);
        break;
    case kFOn:
        filter.on = isOn(id, x);
        break;
    case kFCutoff:
        filter.cutoff = x;
        break;
    case kFQ:
        filter.resonance = x;
        break;
    case kFType:
        filter.type = static_cast<FilterType>(plain(id, x));
        break;
    case kFAmount:
        filter.envAmount = engineQuantity(id, x);
        break;
    case kFAttack:
    case kFDecay:
    case kFSustain:
    case kFRelease:
        applyEnvelope(engine, filterEnv, id, x);
        break;
    case kO1Mix:
    case kO2Mix:
    case kO3Mix:
        engine.oscillators.osc[id - kO1Mix].mix = x;
        break;
    case kFmO1O2:
        common.fm12 = x;
        break;
    case kFm3Amount:
        common.fm3 = x;
        break;
    case kFm3O1O2Mix:
        common.fm3Mix = x;
        break;
    case kRm1x2:
        common.rm12 = x;
        break;
    case kRm1x3:
        common.rm13 = x;
        break;
    case kRm2x3:
        common.rm23 = x;
        break;
    case kNoteMode:
        engine.noteMode = static_cast<NoteMode>(plain(id, x));
        break;
    case kPolyphony:
        engine.polyphony = plain(id, x);
        break;
    case kModWheel:
        engine.modulation.inputs.modWheel = engineQuantity(id, x);
        break;
    case kPitchBend:
    case kPbUp:
    case kPbDown:
        recomputePitchBend(engine, values);
        break;
    case kPanic:
        break; // handled entirely by the parameter intake
    case kKeyFollow:
        filter.keyFollow = x;
        break;
    case kRefOctave:
    case kRefNote:
        recomputeReferenceKey(engine, values);
        break;
    default:
        break;
    }
}

} // namespace talvane
