#include "source/engine/oscillators.h"

#include "source/engine/crandom.h"
#include "source/engine/lookuptables.h"
#include "source/engine/noisebuffers.h"
#include "source/engine/scalarmath.h"
#include "source/engine/waveforms.h"
#include "source/engine/wavetablebank.h"

#include <algorithm>
#include <cstring>

namespace talvane {

namespace {

using lanes::HostRateLanes;
using lanes::LaneBlock;
using lanes::LaneRow;

// Noise advances one sub-block per sub-block and wraps early enough that a whole sub-block fits.
constexpr int kNoiseWrap = NoiseBuffers::kLength - kSubBlockInternalSamples;
// Pitch modulation spans +-48 semitones per source.
constexpr float kPitchModRange = 48.0f;
constexpr double kNotesPerUnit = LookupTables::kNotesPerUnitPitch;
constexpr int kHighestNote = WavetableBank::kNumNotes - 1; // the note of the top table
// Eight times the note range: about 3e26 Hz, finite in float even after the FM's largest factor.
constexpr double kHighestPitchValue = 8.0;
constexpr double kRandomPhaseScale = 1.0 / 32768.0;

// A destination's 16 host-rate values per voice in lane layout; padding lanes read 0.
void spreadLanes(const OscillatorVoice* voices, int count, int destination, HostRateLanes& out)
{
    for (int v = 0; v < count; ++v)
    {
        const float* row = voices[v].bus->value[destination];
        for (int k = 0; k < kSubBlockSamples; ++k)
            out[k][v] = row[k];
    }
    const int padded = lanes::paddedLanes(count);
    for (int k = 0; k < kSubBlockSamples; ++k)
        std::fill(out[k] + count, out[k] + padded, 0.0f);
}

// A destination's values in lane layout: spread into `scratch` when it is modulated, otherwise
// the values are all zero and a shared block of zeros serves.
alignas(lanes::kBlockAlignment) const HostRateLanes kZeroLanes = {};

const HostRateLanes& modulationLanes(const OscillatorVoice* voices, int count, int destination,
                                     const ModRouting& routing, HostRateLanes& scratch)
{
    if (!routing.modulated[destination])
        return kZeroLanes;
    spreadLanes(voices, count, destination, scratch);
    return scratch;
}

// Clears lanes [0, count) of both channels of every row.
void clearLanes(lanes::StereoRow* rows, int count)
{
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        std::fill(rows[j], rows[j] + count, 0.0f);
        std::fill(rows[j] + lanes::kRightLanes, rows[j] + lanes::kRightLanes + count, 0.0f);
    }
}
void clearLanes(LaneBlock& block, int count)
{
    for (LaneRow& row : block)
        std::fill(row, row + count, 0.0f);
}

} // namespace

struct OscillatorStage::Lanes
{
    static constexpr int kAlign = lanes::kBlockAlignment;
    alignas(kAlign) LaneRow phaseL;
    alignas(kAlign) LaneRow phaseR;
    alignas(kAlign) LaneRow freq;
    double pitchValue[kNumOscillators][lanes::kVoiceLanes];
    float pitchFrequency[kNumOscillators][lanes::kVoiceLanes];
    alignas(kAlign) int tableOffset[lanes::kVoiceLanes];
    alignas(kAlign) LaneRow fixedIncrement; // without FM: the same for both channels and all samples
    alignas(kAlign) LaneBlock noiseSamples;
    // Modulation rows of the oscillator being rendered: FM amount and mix, stretch, pan, level.
    alignas(kAlign) HostRateLanes modA, modB, modC, modD, modE;
    alignas(kAlign) LaneBlock pannedL[kNumOscillators], pannedR[kNumOscillators];
};

OscillatorStage::OscillatorStage() : lanes(std::make_unique<Lanes>()) {}

OscillatorStage::~OscillatorStage() = default;

void OscillatorStage::setSources(const WavetableBank* bankIn, const LookupTables* lookupIn,
                                 const NoiseBuffers* noiseIn, float internalRate)
{
    bank = bankIn;
    lookup = lookupIn;
    noise = noiseIn;
    internalRateF = internalRate;
}

void OscillatorStage::startVoice(OscillatorVoiceState& state, const ModBus& bus) const noexcept
{
    for (int i = 0; i < kNumOscillators; ++i)
    {
        const OscillatorSettings& s = osc[i];
        float e;
        if (s.retrig)
            e = clamp01(s.phaseInit +
                        0.5f * (1.0f + bus.value[mod_dest::osc(i, mod_dest::kOscInitPhase)][0]));
        else
            e = static_cast<float>(random15() * kRandomPhaseScale);
        state.phaseL[i] = e;
        state.phaseR[i] = e;
        const float f =
            clamp01(s.stereoDephase + bus.value[mod_dest::osc(i, mod_dest::kOscStereoDephase)][0]);
        if (f < 0.5f)
            state.phaseR[i] = frac(e + 0.5f - f);
        if (f > 0.5f)
            state.phaseL[i] = frac(e + f - 0.5f);
    }
}

void OscillatorStage::render(OscillatorVoiceState& state, float currentPitch, const ModBus& bus,
                             const ModRouting& routing, float* outL, float* outR) noexcept
{
    const OscillatorVoice voice{&state, currentPitch, &bus};
    VoiceLanes out;
    renderVoices(&voice, 1, routing, out);
    out.store(0, outL, outR);
}

void OscillatorStage::renderVoices(const OscillatorVoice* voices, int count, const ModRouting& routing,
                                   VoiceLanes& out) noexcept
{
    Lanes& L = *lanes;
    const int used = lanes::paddedLanes(count);
    clearLanes(out.samples, used);
    tunePitches(voices, count);
    for (int i = 0; i < kNumOscillators; ++i)
    {
        if (!osc[i].on)
        {
            // An oscillator that is off contributes zeros to FM and ring modulation.
            clearLanes(L.pannedL[i], used);
            clearLanes(L.pannedR[i], used);
            continue;
        }
        kernels::Oscillator o = {};
        kernels::FmModulation fm = {};
        if (waveform::isNoise(osc[i].waveform))
            prepareNoise(i, voices, count, o);
        else
            prepareTables(i, voices, count, routing, o, fm);
        preparePanAndMix(i, voices, count, routing, o, out);
        kernelSet->oscillator(o);
        if (!waveform::isNoise(osc[i].waveform))
        {
            const float* phaseR = o.channels == 1 ? L.phaseL : L.phaseR;
            for (int v = 0; v < count; ++v)
            {
                voices[v].state->phaseL[i] = L.phaseL[v];
                voices[v].state->phaseR[i] = phaseR[v];
            }
        }
    }
    const bool ringUsed = common.rm12 != 0.0f || common.rm13 != 0.0f || common.rm23 != 0.0f ||
                          routing.modulated[mod_dest::kRm12] || routing.modulated[mod_dest::kRm13] ||
                          routing.modulated[mod_dest::kRm23];
    if (ringUsed)
        ringModulate(voices, count, routing, out);
}

void OscillatorStage::tunePitches(const OscillatorVoice* voices, int count) noexcept
{
    // All oscillators' frequencies first: the frequency table is large, and its reads, each of
    // which may miss the cache, overlap when nothing else comes between them.
    Lanes& L = *lanes;
    for (int i = 0; i < kNumOscillators; ++i)
    {
        const OscillatorSettings& s = osc[i];
        if (!s.on || waveform::isNoise(s.waveform))
            continue;
        for (int v = 0; v < count; ++v)
        {
            const OscillatorVoice& voice = voices[v];
            // Pitch once per sub-block; the summation order is part of the sound.
            const float pitch =
                common.pitchBendOffset + s.octave + s.fineTune + s.detune + voice.currentPitch +
                kPitchModRange * voice.bus->value[mod_dest::osc(i, mod_dest::kOscPitch)][0] +
                kPitchModRange * voice.bus->value[mod_dest::kPitch][0];
            // Held between note 0 and a pitch whose frequency, even raised by FM, stays far inside
            // the float range; a NaN counts as note 0. So the table chosen always exists.
            double pitchValue = static_cast<double>(pitch) / kNotesPerUnit;
            if (!(pitchValue >= 0.0))
                pitchValue = 0.0;
            pitchValue = std::min(pitchValue, kHighestPitchValue);
            L.pitchValue[i][v] = pitchValue;
            // At and above note 128 the frequency is computed directly.
            OscillatorVoiceState& state = *voice.state;
            if (pitchValue != state.lastPitchValue[i])
            {
                state.lastPitchValue[i] = pitchValue;
                state.lastFrequency[i] = lookup->noteToHz(pitchValue);
            }
            L.pitchFrequency[i][v] = state.lastFrequency[i];
        }
    }
}

void OscillatorStage::prepareNoise(int i, const OscillatorVoice* voices, int count,
                                   kernels::Oscillator& o) noexcept
{
    // Noise ignores pitch, FM, stretch and invert; both channels carry the same samples.
    Lanes& L = *lanes;
    const float* buffer = noise->buffer(osc[i].waveform);
    for (int v = 0; v < count; ++v)
    {
        int& position = voices[v].state->noisePos[i];
        position = (position + kSubBlockInternalSamples) % kNoiseWrap;
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
            L.noiseSamples[j][v] = buffer[position + j];
    }
    const int used = lanes::paddedLanes(count);
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        std::fill(L.noiseSamples[j] + count, L.noiseSamples[j] + used, 0.0f);
    o.source[0] = o.source[1] = &L.noiseSamples;
}

bool OscillatorStage::fmActive(int i, const ModRouting& routing) const noexcept
{
    if (i == 1)
        return common.fm12 != 0.0f || routing.modulated[mod_dest::kFm12];
    if (i == 2)
        return common.fm3 != 0.0f || routing.modulated[mod_dest::kFm3Amount];
    return false;
}

void OscillatorStage::prepareTables(int i, const OscillatorVoice* voices, int count,
                                    const ModRouting& routing, kernels::Oscillator& o,
                                    kernels::FmModulation& fm) noexcept
{
    Lanes& L = *lanes;
    const OscillatorSettings& s = osc[i];
    const int used = lanes::paddedLanes(count);
    const float* freq = L.pitchFrequency[i];
    for (int v = 0; v < used; ++v)
    {
        if (v >= count)
        {
            L.phaseL[v] = L.phaseR[v] = L.freq[v] = 0.0f;
            L.tableOffset[v] = 0;
            continue;
        }
        const double pitchValue = L.pitchValue[i][v];
        L.freq[v] = freq[v];
        // At and above note 128 the top table is used.
        const int note = pitchValue >= 1.0 ? kHighestNote : static_cast<int>(kNotesPerUnit * pitchValue);
        L.tableOffset[v] = bank->tableOffset(s.waveform, note);
        L.phaseL[v] = voices[v].state->phaseL[i];
        L.phaseR[v] = voices[v].state->phaseR[i];
    }
    o.samples = bank->sampleBlock();
    o.tableOffset = L.tableOffset;
    o.stretch = s.stretch;
    const int stretchDest = mod_dest::osc(i, mod_dest::kOscStretch);
    if (routing.modulated[stretchDest])
    {
        spreadLanes(voices, count, stretchDest, L.modC);
        o.stretchMod = &L.modC;
    }
    o.phase[0] = L.phaseL;
    o.phase[1] = L.phaseR;
    if (fmActive(i, routing))
    {
        prepareFm(i, voices, count, routing, fm);
        o.fm = &fm;
        o.channels = 2;
        return;
    }
    for (int v = 0; v < used; ++v)
        L.fixedIncrement[v] = L.freq[v] / internalRateF;
    o.increment = L.fixedIncrement;
    // Without stereo dephase and without FM the right channel repeats the left exactly: one chain.
    const bool mono = std::memcmp(L.phaseR, L.phaseL, sizeof(float) * static_cast<std::size_t>(used)) == 0;
    o.channels = mono ? 1 : 2;
}

void OscillatorStage::prepareFm(int i, const OscillatorVoice* voices, int count, const ModRouting& routing,
                                kernels::FmModulation& fm) noexcept
{
    Lanes& L = *lanes;
    // The frequency scaled by the modulator's panned output (before its mix level): oscillator 1
    // for oscillator 2; a crossfade of oscillators 1 and 2 for oscillator 3.
    const bool isO2 = i == 1;
    fm.amount = isO2 ? common.fm12 : common.fm3;
    const int amountDest = isO2 ? mod_dest::kFm12 : mod_dest::kFm3Amount;
    fm.amountMod = &modulationLanes(voices, count, amountDest, routing, L.modA);
    fm.first[0] = &L.pannedL[0];
    fm.first[1] = &L.pannedR[0];
    if (!isO2)
    {
        fm.second[0] = &L.pannedL[1];
        fm.second[1] = &L.pannedR[1];
        fm.mix = common.fm3Mix;
        fm.mixMod = &modulationLanes(voices, count, mod_dest::kFm3OscMix, routing, L.modB);
    }
    fm.freq = L.freq;
    fm.internalRate = internalRateF;
}

void OscillatorStage::preparePanAndMix(int i, const OscillatorVoice* voices, int count,
                                       const ModRouting& routing, kernels::Oscillator& o,
                                       VoiceLanes& out) noexcept
{
    Lanes& L = *lanes;
    const OscillatorSettings& s = osc[i];
    // Noise is never inverted.
    o.invert = s.invert && !waveform::isNoise(s.waveform);
    o.panning = s.panning;
    const int panDest = mod_dest::osc(i, mod_dest::kOscPanning);
    if (routing.modulated[panDest])
    {
        spreadLanes(voices, count, panDest, L.modD);
        o.panMod = &L.modD;
    }
    o.mix = s.mix;
    const int mixDest = mod_dest::osc(i, mod_dest::kOscMix);
    if (routing.modulated[mixDest])
    {
        spreadLanes(voices, count, mixDest, L.modE);
        o.mixMod = &L.modE;
    }
    o.panned[0] = &L.pannedL[i];
    o.panned[1] = &L.pannedR[i];
    o.voices = out.samples;
    o.lanes = lanes::paddedLanes(count);
}

void OscillatorStage::ringModulate(const OscillatorVoice* voices, int count, const ModRouting& routing,
                                   VoiceLanes& out) noexcept
{
    Lanes& L = *lanes;
    kernels::RingModulation ring = {};
    for (int o = 0; o < kNumOscillators; ++o)
    {
        ring.panned[o][0] = &L.pannedL[o];
        ring.panned[o][1] = &L.pannedR[o];
    }
    ring.amount[0] = common.rm12;
    ring.amount[1] = common.rm13;
    ring.amount[2] = common.rm23;
    ring.amountMod[0] = &modulationLanes(voices, count, mod_dest::kRm12, routing, L.modA);
    ring.amountMod[1] = &modulationLanes(voices, count, mod_dest::kRm13, routing, L.modB);
    ring.amountMod[2] = &modulationLanes(voices, count, mod_dest::kRm23, routing, L.modC);
    ring.voices = out.samples;
    ring.lanes = lanes::paddedLanes(count);
    kernelSet->ringModulation(ring);
}

} // namespace talvane
