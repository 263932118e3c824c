// The three stereo wavetable oscillators of a voice, with exponential FM and ring modulation.
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/modbus.h"
#include "source/engine/modrouting.h"
#include "source/engine/voicelanes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace talvane {

class WavetableBank;
class LookupTables;
class NoiseBuffers;

struct OscillatorSettings
{
    bool on = false;
    int waveform = 0;
    float panning = 0.5f;   // normalized, 0.5 = centre
    float phaseInit = 0.0f; // normalized
    bool retrig = false;
    float octave = 0.0f;   // semitones
    float detune = 0.0f;   // semitones
    float fineTune = 0.0f; // semitones, -1..1
    float stretch = 0.5f;  // normalized, 0.5 = no stretch
    bool invert = false;
    float stereoDephase = 0.5f; // normalized, 0.5 = none
    float mix = 1.0f;
};

struct OscillatorCommonSettings
{
    float fm12 = 0.0f;   // FM amount of oscillator 1 on oscillator 2
    float fm3 = 0.0f;    // FM amount on oscillator 3
    float fm3Mix = 0.0f; // oscillator 1 / 2 mix as the FM source of oscillator 3
    float rm12 = 0.0f;
    float rm13 = 0.0f;
    float rm23 = 0.0f;
    float pitchBendOffset = 0.0f; // semitones
};

struct OscillatorVoiceState
{
    float phaseL[kNumOscillators] = {};
    float phaseR[kNumOscillators] = {};
    int noisePos[kNumOscillators] = {};
};

// The exponent-bit approximation of base^x on IEEE doubles: the upper word of `base` is rescaled
// by x around the bias of 1.0 and the lower word cleared.
inline double fastPow(double base, double x)
{
    constexpr double kOneUpperWord = 1072632447.0; // upper word of 1.0 minus a small bias
    std::uint64_t bits;
    std::memcpy(&bits, &base, sizeof bits);
    const auto upper = static_cast<double>(static_cast<std::int32_t>(bits >> 32));
    double scaled = x * (upper - kOneUpperWord) + kOneUpperWord;
    // Saturate rather than overflow the integer conversion for wild inputs.
    scaled = std::min(std::max(scaled, -2147483648.0), 2147483647.0);
    bits = static_cast<std::uint64_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled))) << 32;
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

// One voice's share of an oscillator sub-block.
struct OscillatorVoice
{
    OscillatorVoiceState* state;
    float currentPitch;
    const ModBus* bus;
};

class OscillatorStage
{
public:
    OscillatorSettings osc[kNumOscillators];
    OscillatorCommonSettings common;

    OscillatorStage();
    ~OscillatorStage();
    OscillatorStage(const OscillatorStage&) = delete;
    OscillatorStage& operator=(const OscillatorStage&) = delete;

    void setSources(const WavetableBank* bank, const LookupTables* lookup, const NoiseBuffers* noise,
                    float internalRate);

    // Start phases of a new note; reads the slot's bus as last computed.
    void startVoice(OscillatorVoiceState& state, const ModBus& bus) const;

    // Renders one sub-block (32 internal samples) of one voice into outL / outR.
    void render(OscillatorVoiceState& state, float currentPitch, const ModBus& bus, const ModRouting& routing,
                float* outL, float* outR) const;
    // Renders one sub-block of several voices (up to all voice slots) side by side: voice v's
    // samples become lane v of `out`.
    void renderVoices(const OscillatorVoice* voices, int count, const ModRouting& routing,
                      VoiceLanes& out) const;

private:
    struct Lanes;

    void readNoise(int i, const OscillatorVoice* voices, int count) const;
    void readTable(int i, const OscillatorVoice* voices, int count, const ModRouting& routing) const;
    void computeFmIncrements(int i, const OscillatorVoice* voices, int count,
                             const ModRouting& routing) const;
    void panAndMix(int i, const OscillatorVoice* voices, int count, const ModRouting& routing) const;
    void ringModulate(const OscillatorVoice* voices, int count, const ModRouting& routing) const;
    bool fmActive(int i, const ModRouting& routing) const;

    const WavetableBank* bank = nullptr;
    const LookupTables* lookup = nullptr;
    const NoiseBuffers* noise = nullptr;
    float internalRateF = 0.0f;
    // Working storage, kept with the stage so the audio thread never allocates.
    std::unique_ptr<Lanes> lanes;
};

} // namespace talvane
