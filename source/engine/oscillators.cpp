#include "source/engine/oscillators.h"

#include "source/engine/crandom.h"
#include "source/engine/lookuptables.h"
#include "source/engine/noisebuffers.h"
#include "source/engine/waveforms.h"
#include "source/engine/wavetablebank.h"

#include <algorithm>
#include <iterator>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace talvane {

namespace {

// Noise advances one sub-block per sub-block and wraps early enough that a whole sub-block fits.
constexpr int kNoiseWrap = 524256;
// Pitch modulation spans +-48 semitones per source.
constexpr float kPitchModRange = 48.0f;
constexpr double kNotesPerUnit = 128.0;
constexpr int kHighestNote = 127;
// Stretch 0.5 reads the table once per period: index = stretch * phase * 2 * 4096.
constexpr float kStretchIndexScale = 2.0f * 4096.0f;
constexpr int kTableMask = 4095;
constexpr float kOutputScale = 0.25f;
constexpr float kFmDepth = 8.0f;
constexpr double kRandomPhaseScale = 1.0 / 32768.0;

constexpr std::int64_t kOneUpperWord =
    1072632447; // upper word of 1.0 minus a small bias, as the approximation uses

inline float clamp01(float x)
{
    return std::min(std::max(x, 0.0f), 1.0f);
}
inline float frac(float x)
{
    return x - static_cast<float>(static_cast<int>(x));
}

inline bool isNoise(int w)
{
    return w == waveform::kWhiteNoise || w == waveform::kPinkNoise;
}

// Modulation values are stepped at the host rate: internal sample j reads host sample j / 2.
inline float mod(const ModBus& bus, int destination, int j)
{
    return bus.value[destination][j / kOversampling];
}

} // namespace

double fastPow(double base, double x)
{
    std::uint64_t bits;
    std::memcpy(&bits, &base, sizeof bits);
    const auto upper = static_cast<std::int64_t>(bits >> 32);
    double scaled = x * static_cast<double>(upper - kOneUpperWord) + static_cast<double>(kOneUpperWord);
    // Saturate rather than overflow the integer conversion for wild inputs.
    scaled = std::min(std::max(scaled, static_cast<double>(INT32_MIN)), static_cast<double>(INT32_MAX));
    const auto newUpper = static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled));
    bits = static_cast<std::uint64_t>(newUpper) << 32;
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

void OscillatorStage::setSources(const WavetableBank* bankIn, const LookupTables* lookupIn,
                                 const NoiseBuffers* noiseIn, float internalRate)
{
    bank = bankIn;
    lookup = lookupIn;
    noise = noiseIn;
    internalRateF = internalRate;
}

void OscillatorStage::startVoice(OscillatorVoiceState& state, const ModBus& bus) const
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
                             const ModRouting& routing, float* outL, float* outR) const
{
    std::fill(outL, outL + kSubBlockInternalSamples, 0.0f);
    std::fill(outR, outR + kSubBlockInternalSamples, 0.0f);
    // An oscillator that is off contributes zeros to FM and ring modulation.
    Channels panned[kNumOscillators] = {};
    for (int i = 0; i < kNumOscillators; ++i)
    {
        if (!osc[i].on)
            continue;
        Channels raw;
        if (isNoise(osc[i].waveform))
            readNoise(i, state, raw);
        else
            readTable(i, state, currentPitch, bus, routing, panned, raw);
        panAndMix(i, bus, routing, raw, panned[i], outL, outR);
    }
    const bool ringUsed = common.rm12 != 0.0f || common.rm13 != 0.0f || common.rm23 != 0.0f ||
                          routing.modulated[mod_dest::kRm12] || routing.modulated[mod_dest::kRm13] ||
                          routing.modulated[mod_dest::kRm23];
    if (ringUsed)
        ringModulate(bus, panned, outL, outR);
}

void OscillatorStage::readNoise(int i, OscillatorVoiceState& state, Channels& raw) const
{
    // Noise ignores pitch, FM, stretch and invert; both channels carry the same samples.
    state.noisePos[i] = (state.noisePos[i] + kSubBlockInternalSamples) % kNoiseWrap;
    const float* source = noise->buffer(osc[i].waveform) + state.noisePos[i];
    std::copy(source, source + kSubBlockInternalSamples, raw.left);
    std::copy(source, source + kSubBlockInternalSamples, raw.right);
}

bool OscillatorStage::fmActive(int i, const ModRouting& routing) const
{
    if (i == 1)
        return common.fm12 != 0.0f || routing.modulated[mod_dest::kFm12];
    if (i == 2)
        return common.fm3 != 0.0f || routing.modulated[mod_dest::kFm3Amount];
    return false;
}

void OscillatorStage::readTable(int i, OscillatorVoiceState& state, float currentPitch, const ModBus& bus,
                                const ModRouting& routing, const Channels panned[], Channels& raw) const
{
    const OscillatorSettings& s = osc[i];

    // Pitch once per sub-block; the summation order is part of the sound.
    const float pitch = common.pitchBendOffset + s.octave + s.fineTune + s.detune + currentPitch +
                        kPitchModRange * bus.value[mod_dest::osc(i, mod_dest::kOscPitch)][0] +
                        kPitchModRange * bus.value[mod_dest::kPitch][0];
    double v = static_cast<double>(pitch) / kNotesPerUnit;
    if (v < 0.0)
        v = 0.0;
    // At and above note 128 the frequency is computed directly and the top table is used.
    const float freq = lookup->noteToHz(v);
    const int note = v >= 1.0 ? kHighestNote : static_cast<int>(kNotesPerUnit * v);
    const float* table = bank->table(s.waveform, note);

    // Per-sample frequencies: constant without FM, otherwise scaled by the modulator's output.
    float incL[kSubBlockInternalSamples];
    float incR[kSubBlockInternalSamples];
    if (!fmActive(i, routing))
    {
        std::fill(std::begin(incL), std::end(incL), freq / internalRateF);
        std::fill(std::begin(incR), std::end(incR), freq / internalRateF);
    }
    else
    {
        const bool isO2 = i == 1;
        const float amount = isO2 ? common.fm12 : common.fm3;
        const int amountDest = isO2 ? mod_dest::kFm12 : mod_dest::kFm3Amount;
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            float fL = freq;
            float fR = freq;
            const float m = mod(bus, amountDest, j);
            if (amount != 0.0f || m != 0.0f)
            {
                const float a = clamp01(amount + m);
                const double base = 1.0f + kFmDepth * a;
                float sourceL, sourceR;
                if (isO2)
                {
                    sourceL = panned[0].left[j];
                    sourceR = panned[0].right[j];
                }
                else
                {
                    const float x = clamp01(common.fm3Mix + mod(bus, mod_dest::kFm3OscMix, j));
                    sourceL = (1.0f - x) * panned[0].left[j] + x * panned[1].left[j];
                    sourceR = (1.0f - x) * panned[0].right[j] + x * panned[1].right[j];
                }
                const double productL = freq * fastPow(base, sourceL);
                const double productR = freq * fastPow(base, sourceR);
                // Negative or NaN frequencies stop the phase instead.
                fL = productL >= 0.0 ? static_cast<float>(productL) : 0.0f;
                fR = productR >= 0.0 ? static_cast<float>(productR) : 0.0f;
            }
            incL[j] = fL / internalRateF;
            incR[j] = fR / internalRateF;
        }
    }

    const int stretchDest = mod_dest::osc(i, mod_dest::kOscStretch);
    const bool stretchModulated = routing.modulated[stretchDest];
    const float sign = s.invert ? -1.0f : 1.0f;
    float phaseL = state.phaseL[i];
    float phaseR = state.phaseR[i];
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        const float stretch = stretchModulated ? clamp01(s.stretch + mod(bus, stretchDest, j)) : s.stretch;
        // stretch * phase * 2 * 4096: the power-of-two factors are exact, so one product suffices.
        raw.left[j] = table[static_cast<int>(stretch * phaseL * kStretchIndexScale) & kTableMask] * sign;
        raw.right[j] = table[static_cast<int>(stretch * phaseR * kStretchIndexScale) & kTableMask] * sign;
        phaseL += incL[j];
        phaseR += incR[j];
        if (phaseL > 1.0f)
            phaseL = frac(phaseL);
        if (phaseR > 1.0f)
            phaseR = frac(phaseR);
    }
    state.phaseL[i] = phaseL;
    state.phaseR[i] = phaseR;
}

void OscillatorStage::panAndMix(int i, const ModBus& bus, const ModRouting& routing, const Channels& raw,
                                Channels& panned, float* outL, float* outR) const
{
    const OscillatorSettings& s = osc[i];
    const int panDest = mod_dest::osc(i, mod_dest::kOscPanning);
    const int mixDest = mod_dest::osc(i, mod_dest::kOscMix);
    const bool panModulated = routing.modulated[panDest];
    const bool mixModulated = routing.modulated[mixDest];
    // Written as (m + 1) * 0.5 + pan - 0.5 even without modulation: the rounding is part of the sound.
    const float fixedPan = clamp01((0.0f + 1.0f) * 0.5f + s.panning - 0.5f);
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        const float u =
            panModulated ? clamp01((mod(bus, panDest, j) + 1.0f) * 0.5f + s.panning - 0.5f) : fixedPan;
        // The side away from the pan keeps full level.
        if (u > 0.5f)
        {
            panned.left[j] = 2.0f * (1.0f - u) * raw.left[j];
            panned.right[j] = raw.right[j];
        }
        else
        {
            panned.left[j] = raw.left[j];
            panned.right[j] = 2.0f * u * raw.right[j];
        }
        const float level = mixModulated ? clamp01(s.mix + mod(bus, mixDest, j)) : s.mix;
        outL[j] += kOutputScale * level * panned.left[j];
        outR[j] += kOutputScale * level * panned.right[j];
    }
}

void OscillatorStage::ringModulate(const ModBus& bus, const Channels panned[], float* outL, float* outR) const
{
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        const float a12 = clamp01(common.rm12 + mod(bus, mod_dest::kRm12, j));
        const float a13 = clamp01(common.rm13 + mod(bus, mod_dest::kRm13, j));
        const float a23 = clamp01(common.rm23 + mod(bus, mod_dest::kRm23, j));
        const float* o1 = panned[0].left;
        const float* o2 = panned[1].left;
        const float* o3 = panned[2].left;
        outL[j] += kOutputScale * ((a13 * o1[j] + a23 * o2[j]) * o3[j] + a12 * o1[j] * o2[j]);
        o1 = panned[0].right;
        o2 = panned[1].right;
        o3 = panned[2].right;
        outR[j] += kOutputScale * ((a13 * o1[j] + a23 * o2[j]) * o3[j] + a12 * o1[j] * o2[j]);
    }
}

} // namespace talvane
