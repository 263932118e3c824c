#include "source/engine/modulation.h"

#include "source/engine/crandom.h"
#include "source/engine/noisebuffers.h"
#include "source/engine/scalarmath.h"
#include "source/engine/waveforms.h"
#include "source/params/paramcurves.h"
#include "source/engine/wavetablebank.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace talvane {

namespace {

constexpr int kNoiseMask = NoiseBuffers::kLength - 1;
constexpr int kLfoTableNote = 0; // LFOs read the fully band-limited tables of note 0

// Tempo sync: the divisions come in groups of dotted, straight and triplet lengths, each group half
// the length of the one before.
constexpr int kSyncKinds = 3;
static_assert(kNumSyncDivisions % kSyncKinds == 0, "whole groups of sync divisions");
constexpr float kSyncFactor[kSyncKinds] = {1.5f, 1.0f, 2.0f / 3.0f};
constexpr float kLongestDivisionWholeNotes = 16.0f;
constexpr float kSecondsPerMinuteTimesBeatsPerWhole = 240.0f; // 60 s * 4 quarter notes
constexpr double kRandomLfoPhaseScale = 32769.0 / 1073741824.0;

// shaped[k] = clip(raw[k], c) * amount: positive clipping lowers the ceiling to 1 - c, negative
// raises the floor to -1 - c, and only then is the value clamped to -1..1. The case is chosen once
// for the sub-block.
void clipAndScale(const float* raw, float c, float amount, float* shaped)
{
    if (c == 0.0f)
    {
        for (int k = 0; k < kSubBlockSamples; ++k)
            shaped[k] = raw[k] * amount;
    }
    else if (c > 0.0f)
    {
        const float ceiling = 1.0f - c;
        for (int k = 0; k < kSubBlockSamples; ++k)
            shaped[k] = clampBipolar(std::min(raw[k], ceiling)) * amount;
    }
    else
    {
        const float floor = -1.0f - c;
        for (int k = 0; k < kSubBlockSamples; ++k)
            shaped[k] = clampBipolar(std::max(raw[k], floor)) * amount;
    }
}

// Adds each slot's share of a modulator's signal into its destination. A slot aimed at "None"
// has no effect, so its row is not written at all.
void addToSlots(ModBus& bus, const ModSlots& slots, const float* slotAmount, const float* signal)
{
    for (int slot = 0; slot < kSlotsPerModulator; ++slot)
    {
        if (slots.target[slot] == mod_dest::kNone)
            continue;
        float* row = bus.value[slots.target[slot]];
        const float amount = slotAmount[slot];
        for (int k = 0; k < kSubBlockSamples; ++k)
            row[k] += amount * signal[k];
    }
}

// frac(phase + increment) for a phase in 0..1 and a non-negative increment: below 2 the integer
// part is 0 or 1, and s - 1 is then exact, so the common case needs no integer conversion.
inline float advancePhase(float phase, float increment)
{
    const float s = phase + increment;
    if (s < 1.0f)
        return s;
    return s < 2.0f ? s - 1.0f : frac(s);
}

// Every destination, for a clamp of the whole bus.
constexpr auto kAllDestinations = [] {
    struct List
    {
        int destination[kNumModDestinations];
    } list = {};
    for (int d = 0; d < kNumModDestinations; ++d)
        list.destination[d] = d;
    return list;
}();

} // namespace

void ModulationStage::setSources(const WavetableBank* bankIn, const NoiseBuffers* noiseIn, float hostRate)
{
    bank = bankIn;
    noise = noiseIn;
    hostRateF = hostRate;
}

void ModulationStage::startLfos(ModulationVoiceState& state) const noexcept
{
    for (int l = 0; l < kNumLfos; ++l)
    {
        LfoVoiceState& lfo = state.lfo[l];
        if (lfos[l].retrig)
            lfo.phase =
                clamp01(lfos[l].initPhase + state.bus.value[mod_dest::lfo(l, mod_dest::kLfoInitPhase)][0]);
        else
            lfo.phase = static_cast<float>(random15() * kRandomLfoPhaseScale);
    }
}

EnvelopeEnd ModulationStage::run(ModulationVoiceState& state, float velocity) const noexcept
{
    const EnvelopeEnd ampEnd = runEnvelopes(state);

    // A routing change redoes the whole bus once, so destinations that lost their modulation
    // read zero again; otherwise only the modulated rows can be non-zero.
    const bool whole = state.routingGeneration != routing.generation;
    state.routingGeneration = routing.generation;

    clearBus(state, whole);
    for (int l = 0; l < kNumLfos; ++l)
        if (routing.lfoInUse[l])
            runLfo(l, state);
    for (int e = 0; e < kNumModEnvelopes; ++e)
        if (routing.modEnvInUse[e])
            runModEnv(e, state);
    for (int m = 0; m < kNumMatrices; ++m)
        if (routing.matrixInUse[m])
            runMatrix(m, state, velocity);
    clampBus(state, whole);
    return ampEnd;
}

EnvelopeEnd ModulationStage::runEnvelopes(ModulationVoiceState& state) const noexcept
{
    EnvelopeEnd ampEnd = EnvelopeEnd::Running;
    for (int e = 0; e < kNumEnvelopes; ++e)
    {
        const bool inUse = e == kAmpEnv || e == kFilterEnv || routing.modEnvInUse[e - kModEnv1];
        if (!inUse)
            continue;
        const EnvelopeModulation mod{mod_dest::kEnvelopeDestinations[e], routing.modulated, state.bus.prev};
        const EnvelopeEnd end = runEnvelope(state.env[e], envelopes[e], mod, hostRateF);
        if (e == kAmpEnv)
            ampEnd = end;
    }
    return ampEnd;
}

void ModulationStage::clearBus(ModulationVoiceState& state, bool whole) const noexcept
{
    if (whole)
    {
        std::fill(&state.bus.value[0][0], &state.bus.value[0][0] + kNumModDestinations * kSubBlockSamples,
                  0.0f);
        return;
    }
    for (int i = 0; i < routing.modulatedCount; ++i)
        std::fill(std::begin(state.bus.value[routing.modulatedList[i]]),
                  std::end(state.bus.value[routing.modulatedList[i]]), 0.0f);
}

void ModulationStage::clampBus(ModulationVoiceState& state, bool whole) const noexcept
{
    ModBus& bus = state.bus;
    if (whole)
        kernelSet->busClamp({bus.value, bus.prev, kAllDestinations.destination, kNumModDestinations});
    else
        // The "None" row may be listed; it is never written, so it stays zero.
        kernelSet->busClamp({bus.value, bus.prev, routing.modulatedList, routing.modulatedCount});
}

void ModulationStage::beginSubBlock() noexcept
{
    // Without frequency modulation every voice's LFO advances by the same amount, so the rate law
    // is evaluated once here rather than once per voice.
    static const float kNoModulation[kNumModDestinations] = {};
    for (int l = 0; l < kNumLfos; ++l)
        sharedIncrement[l] = rateIncrement(l, kNoModulation);
}

void ModulationStage::advanceLfos(ModulationVoiceState* const* states, int count) const noexcept
{
    for (int l = 0; l < kNumLfos; ++l)
    {
        if (!routing.lfoInUse[l])
            continue;
        const LfoSettings& s = lfos[l];
        if (waveform::isNoise(s.waveform))
        {
            // One new noise sample per host sample, whatever the rate; the phase runs on under
            // noise too, so a later waveform change continues from it.
            const float* noiseSamples = noise->buffer(s.waveform);
            for (int v = 0; v < count; ++v)
            {
                LfoVoiceState& lfo = states[v]->lfo[l];
                const float increment = lfoIncrement(l, states[v]->bus.prev);
                for (int k = 0; k < kSubBlockSamples; ++k)
                {
                    lfo.noisePos = (lfo.noisePos + 1) & kNoiseMask;
                    lfo.raw[k] = noiseSamples[lfo.noisePos];
                    lfo.phase = advancePhase(lfo.phase, increment);
                }
            }
            continue;
        }
        // The phase chains of all voices side by side.
        alignas(lanes::kBlockAlignment) lanes::LaneRow phase = {};
        alignas(lanes::kBlockAlignment) lanes::LaneRow increment = {};
        alignas(lanes::kBlockAlignment) lanes::HostRateLanes raw;
        for (int v = 0; v < count; ++v)
        {
            phase[v] = states[v]->lfo[l].phase;
            increment[v] = lfoIncrement(l, states[v]->bus.prev);
        }
        kernelSet->lfoAdvance(
            {bank->table(s.waveform, kLfoTableNote), phase, increment, &raw, lanes::paddedLanes(count)});
        for (int v = 0; v < count; ++v)
        {
            LfoVoiceState& lfo = states[v]->lfo[l];
            lfo.phase = phase[v];
            for (int k = 0; k < kSubBlockSamples; ++k)
                lfo.raw[k] = raw[k][v];
        }
    }
}

float ModulationStage::lfoIncrement(int l, const float* prevMod) const noexcept
{
    if (!routing.modulated[mod_dest::lfo(l, mod_dest::kLfoFreq)])
        return sharedIncrement[l];
    return rateIncrement(l, prevMod);
}

float ModulationStage::rateIncrement(int l, const float* prevMod) const noexcept
{
    const LfoSettings& s = lfos[l];
    const float freqMod = prevMod[mod_dest::lfo(l, mod_dest::kLfoFreq)];
    if (s.sync)
    {
        int division = static_cast<int>((s.freq + freqMod) * kNumSyncDivisions);
        division = std::min(std::max(division, 0), kNumSyncDivisions - 1);
        const int group = division / kSyncKinds;
        const float wholeNotes =
            kSyncFactor[division % kSyncKinds] * kLongestDivisionWholeNotes / static_cast<float>(1 << group);
        // At most a whole cycle per host sample, as the free rate: any tempo keeps the phase in range.
        return std::min(inputs.tempo / (wholeNotes * kSecondsPerMinuteTimesBeatsPerWhole * hostRateF), 1.0f);
    }
    return clamp01((std::pow(kLfoRateBase, s.freq + 0.5f * freqMod) - kLfoRateOffset) / hostRateF);
}

void ModulationStage::runLfo(int l, ModulationVoiceState& state) const noexcept
{
    const LfoSettings& s = lfos[l];
    LfoVoiceState& lfo = state.lfo[l];
    const float* prev = state.bus.prev;
    // Everything a modulator reads from the bus comes from the previous sub-block, so it is
    // constant across this one.
    const float clipping = s.clipping + prev[mod_dest::lfo(l, mod_dest::kLfoClipping)];
    const float amount = clampBipolar(s.amount + prev[mod_dest::lfo(l, mod_dest::kLfoAmount)]);
    float slotAmount[kSlotsPerModulator];
    for (int slot = 0; slot < kSlotsPerModulator; ++slot)
        slotAmount[slot] =
            clampBipolar(s.slots.amount[slot] + prev[mod_dest::lfo(l, mod_dest::kLfoFirstSlotAmount + slot)]);
    // The raw values of this sub-block were computed by advanceLfos.
    float shaped[kSubBlockSamples];
    clipAndScale(lfo.raw, clipping, amount, shaped);
    addToSlots(state.bus, s.slots, slotAmount, shaped);
}

void ModulationStage::runModEnv(int e, ModulationVoiceState& state) const noexcept
{
    const ModEnvSettings& s = modEnvs[e];
    const float* prev = state.bus.prev;
    const float amount = s.amount + prev[mod_dest::modEnv(e, mod_dest::kModEnvAmount)];
    // Unlike the LFO and matrix slots, the envelope slot amounts are not clamped.
    float slotAmount[kSlotsPerModulator];
    for (int slot = 0; slot < kSlotsPerModulator; ++slot)
        slotAmount[slot] =
            s.slots.amount[slot] + prev[mod_dest::modEnv(e, mod_dest::kModEnvFirstSlotAmount + slot)];
    const float* envOut = state.env[kModEnv1 + e].out;
    float shaped[kSubBlockSamples];
    for (int k = 0; k < kSubBlockSamples; ++k)
        shaped[k] = amount * envOut[k];
    switch (static_cast<ModEnvType>(std::min(s.type, static_cast<int>(ModEnvType::BipolarMinus))))
    {
    case ModEnvType::Positive:
        break;
    case ModEnvType::Negative:
        for (float& a : shaped)
            a = -a;
        break;
    case ModEnvType::BipolarPlus:
        for (float& a : shaped)
            a = 2.0f * a - 1.0f;
        break;
    case ModEnvType::BipolarMinus:
        for (float& a : shaped)
            a = 1.0f - 2.0f * a;
        break;
    }
    addToSlots(state.bus, s.slots, slotAmount, shaped);
}

void ModulationStage::runMatrix(int m, ModulationVoiceState& state, float velocity) const noexcept
{
    const MatrixSettings& s = matrices[m];
    const float* prev = state.bus.prev;
    const float clipping = s.clipping + prev[mod_dest::matrix(m, mod_dest::kMatrixClipping)];
    const float amount = clampBipolar(s.amount + prev[mod_dest::matrix(m, mod_dest::kMatrixAmount)]);
    float slotAmount[kSlotsPerModulator];
    for (int slot = 0; slot < kSlotsPerModulator; ++slot)
        slotAmount[slot] = clampBipolar(s.slots.amount[slot] +
                                        prev[mod_dest::matrix(m, mod_dest::kMatrixFirstSlotAmount + slot)]);

    float constant = 0.0f;
    const float* perSample = nullptr;
    switch (s.source)
    {
    case ModSource::None:
        break;
    case ModSource::ModWheel:
        constant = inputs.modWheel;
        break;
    case ModSource::PitchBend:
        constant = inputs.pitchBend;
        break;
    case ModSource::Velocity:
        constant = 2.0f * velocity - 1.0f;
        break;
    case ModSource::AmpEnv:
        perSample = state.env[kAmpEnv].out;
        break;
    case ModSource::FilterEnv:
        perSample = state.env[kFilterEnv].out;
        break;
    case ModSource::ModEnv1:
        perSample = state.env[kModEnv1].out;
        break;
    case ModSource::ModEnv2:
        perSample = state.env[kModEnv2].out;
        break;
    case ModSource::Lfo1:
        perSample = state.lfo[0].raw;
        break;
    case ModSource::Lfo2:
        perSample = state.lfo[1].raw;
        break;
    }
    float source[kSubBlockSamples];
    if (perSample)
        std::copy(perSample, perSample + kSubBlockSamples, source);
    else
        std::fill(std::begin(source), std::end(source), constant);
    float shaped[kSubBlockSamples];
    clipAndScale(source, clipping, amount, shaped);
    addToSlots(state.bus, s.slots, slotAmount, shaped);
}

void ModulationStage::rebuildModulationUse()
{
    ModRouting& r = routing;
    std::fill(std::begin(r.modulated), std::end(r.modulated), false);
    std::fill(std::begin(r.lfoInUse), std::end(r.lfoInUse), false);
    std::fill(std::begin(r.modEnvInUse), std::end(r.modEnvInUse), false);
    std::fill(std::begin(r.matrixInUse), std::end(r.matrixInUse), false);

    // Marks a modulator's targets ("None" included, which means nothing) and tells whether any
    // target is a real destination.
    auto mark = [&r](const ModSlots& slots) {
        bool any = false;
        for (int target : slots.target)
        {
            r.modulated[target] = true;
            any = any || target != mod_dest::kNone;
        }
        return any;
    };
    for (int l = 0; l < kNumLfos; ++l)
        r.lfoInUse[l] = mark(lfos[l].slots);
    for (int e = 0; e < kNumModEnvelopes; ++e)
        r.modEnvInUse[e] = mark(modEnvs[e].slots);
    for (int m = 0; m < kNumMatrices; ++m)
    {
        if (!mark(matrices[m].slots))
            continue;
        r.matrixInUse[m] = true;
        switch (matrices[m].source)
        {
        case ModSource::ModEnv1:
            r.modEnvInUse[0] = true;
            break;
        case ModSource::ModEnv2:
            r.modEnvInUse[1] = true;
            break;
        case ModSource::Lfo1:
            r.lfoInUse[0] = true;
            break;
        case ModSource::Lfo2:
            r.lfoInUse[1] = true;
            break;
        default:
            break;
        }
    }

    r.modulatedCount = 0;
    for (int d = 0; d < kNumModDestinations; ++d)
        if (r.modulated[d])
            r.modulatedList[r.modulatedCount++] = d;
    ++r.generation;
}

} // namespace talvane
