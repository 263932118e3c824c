// The three stereo wavetable oscillators of a voice, with exponential FM and ring modulation.
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/kernels/kernelset.h"
#include "source/engine/kernels/lanes.h"
#include "source/engine/modbus.h"
#include "source/engine/modrouting.h"

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
    // The frequency of the pitch each oscillator last played: a pitch usually stays for many
    // sub-blocks, and its lookup in the large frequency table is slow when the table is not cached.
    double lastPitchValue[kNumOscillators] = {-1.0, -1.0, -1.0};
    float lastFrequency[kNumOscillators] = {};
};

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
    // The kernels to render with: the best the processor has unless a test chooses.
    void useKernels(const kernels::KernelSet& set) noexcept { kernelSet = &set; }

    // Start phases of a new note; reads the slot's bus as last computed.
    void startVoice(OscillatorVoiceState& state, const ModBus& bus) const noexcept;

    // Renders one sub-block (32 internal samples) of one voice into outL / outR.
    void render(OscillatorVoiceState& state, float currentPitch, const ModBus& bus, const ModRouting& routing,
                float* outL, float* outR) noexcept;
    // Renders one sub-block of several voices (up to all voice slots) side by side: voice v's
    // samples become lane v of `out`.
    void renderVoices(const OscillatorVoice* voices, int count, const ModRouting& routing,
                      VoiceLanes& out) noexcept;

private:
    struct Lanes;

    // The pitch and frequency of every table oscillator in every lane.
    void tunePitches(const OscillatorVoice* voices, int count) noexcept;
    // Each prepares its part of oscillator i's kernel arguments.
    void prepareNoise(int i, const OscillatorVoice* voices, int count, kernels::Oscillator& o) noexcept;
    void prepareTables(int i, const OscillatorVoice* voices, int count, const ModRouting& routing,
                       kernels::Oscillator& o, kernels::FmModulation& fm) noexcept;
    void prepareFm(int i, const OscillatorVoice* voices, int count, const ModRouting& routing,
                   kernels::FmModulation& fm) noexcept;
    void preparePanAndMix(int i, const OscillatorVoice* voices, int count, const ModRouting& routing,
                          kernels::Oscillator& o, VoiceLanes& out) noexcept;
    void ringModulate(const OscillatorVoice* voices, int count, const ModRouting& routing,
                      VoiceLanes& out) noexcept;
    bool fmActive(int i, const ModRouting& routing) const noexcept;

    const WavetableBank* bank = nullptr;
    const LookupTables* lookup = nullptr;
    const NoiseBuffers* noise = nullptr;
    float internalRateF = 0.0f;
    const kernels::KernelSet* kernelSet = &kernels::bestKernels();
    // Working storage, kept with the stage so the audio thread never allocates.
    std::unique_ptr<Lanes> lanes;
};

} // namespace talvane
