// The three stereo wavetable oscillators of a voice, with exponential FM and ring modulation.
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/modbus.h"
#include "source/engine/modrouting.h"

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
double fastPow(double base, double x);

class OscillatorStage
{
public:
    OscillatorSettings osc[kNumOscillators];
    OscillatorCommonSettings common;

    void setSources(const WavetableBank* bank, const LookupTables* lookup, const NoiseBuffers* noise,
                    float internalRate);

    // Start phases of a new note; reads the slot's bus as last computed.
    void startVoice(OscillatorVoiceState& state, const ModBus& bus) const;

    // Renders one sub-block (32 internal samples) of the voice into outL / outR.
    void render(OscillatorVoiceState& state, float currentPitch, const ModBus& bus, const ModRouting& routing,
                float* outL, float* outR) const;

private:
    struct Channels
    {
        float left[kSubBlockInternalSamples];
        float right[kSubBlockInternalSamples];
    };

    void readNoise(int i, OscillatorVoiceState& state, Channels& raw) const;
    void readTable(int i, OscillatorVoiceState& state, float currentPitch, const ModBus& bus,
                   const ModRouting& routing, const Channels panned[], Channels& raw) const;
    void panAndMix(int i, const ModBus& bus, const ModRouting& routing, const Channels& raw, Channels& panned,
                   float* outL, float* outR) const;
    void ringModulate(const ModBus& bus, const Channels panned[], float* outL, float* outR) const;
    bool fmActive(int i, const ModRouting& routing) const;

    const WavetableBank* bank = nullptr;
    const LookupTables* lookup = nullptr;
    const NoiseBuffers* noise = nullptr;
    float internalRateF = 0.0f;
};

} // namespace talvane
