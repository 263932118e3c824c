// Per-voice modulation: the envelopes, the two LFOs, the ENV1/ENV2 routings and the two matrix
// slots, summed into the voice's modulation bus once per sub-block.
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/envelope.h"
#include "source/engine/kernels/kernelset.h"
#include "source/engine/modbus.h"
#include "source/engine/modrouting.h"

#include <cstdint>

namespace talvane {

class WavetableBank;
class NoiseBuffers;

// Envelope indices within a voice.
enum EnvelopeIndex : int
{
    kAmpEnv = 0,
    kFilterEnv = 1,
    kModEnv1 = 2,
    kModEnv2 = 3,
};

enum class ModSource : int
{
    None = 0,
    ModWheel = 1,
    PitchBend = 2,
    Velocity = 3,
    AmpEnv = 4,
    FilterEnv = 5,
    ModEnv1 = 6,
    ModEnv2 = 7,
    Lfo1 = 8,
    Lfo2 = 9,
};

enum class ModEnvType : int
{
    Positive = 0,
    Negative = 1,
    BipolarPlus = 2,
    BipolarMinus = 3, // and every larger value
};

// Four (destination, amount) slots of one modulator; amounts are already shaped for their destination.
struct ModSlots
{
    int target[kSlotsPerModulator] = {};
    float amount[kSlotsPerModulator] = {};
};

struct LfoSettings
{
    float amount = 0.5f; // normalized
    int waveform = 1;
    float freq = 0.1f; // normalized
    bool retrig = false;
    bool sync = false;
    float initPhase = 0.0f; // normalized
    float clipping = 0.0f;  // -1..1
    ModSlots slots;
};

struct ModEnvSettings
{
    float amount = 0.5f; // normalized
    int type = 0;        // ModEnvType; 4 acts as 3
    ModSlots slots;
};

struct MatrixSettings
{
    ModSource source = ModSource::None;
    float amount = 0.5f;   // normalized
    float clipping = 0.0f; // -1..1
    ModSlots slots;
};

struct LfoVoiceState
{
    float phase = 0.0f;
    int noisePos = 0;
    float raw[kSubBlockSamples] = {}; // before clipping and amount: the matrix sources "Lfo1", "Lfo2"
};

struct ModulationVoiceState
{
    EnvelopeState env[kNumEnvelopes];
    LfoVoiceState lfo[kNumLfos];
    ModBus bus = {};
    // The routing generation this bus was last computed under; on a change the whole bus is redone.
    std::uint32_t routingGeneration = ~0u;
};

// Values outside the voices that modulation reads.
struct ModulationInputs
{
    float modWheel = 0.0f;  // -1..1
    float pitchBend = 0.0f; // -1..1
    float tempo = 120.0f;   // beats per minute
};

class ModulationStage
{
public:
    EnvelopeSettings envelopes[kNumEnvelopes];
    LfoSettings lfos[kNumLfos];
    ModEnvSettings modEnvs[kNumModEnvelopes];
    MatrixSettings matrices[kNumMatrices];
    ModRouting routing;
    ModulationInputs inputs;

    void setSources(const WavetableBank* bank, const NoiseBuffers* noise, float hostRate);
    // The kernels to run with: the best the processor has unless a test chooses.
    void useKernels(const kernels::KernelSet& set) noexcept { kernelSet = &set; }

    void startLfos(ModulationVoiceState& state) const noexcept;

    // Per-sub-block preparation shared by all voices; call before running any voice.
    void beginSubBlock() noexcept;

    // Advances the LFOs of the given voices by one sub-block, all voices side by side: their raw
    // values, which run() then shapes and routes. Call it first in every sub-block.
    void advanceLfos(ModulationVoiceState* const* states, int count) const noexcept;

    // Runs the envelopes and the modulators of one voice for one sub-block (not the glide).
    // Returns how the amplitude envelope ended, so the caller can free the voice.
    EnvelopeEnd run(ModulationVoiceState& state, float velocity) const noexcept;

    // Rebuilds the modulated-destination and in-use flags from the current slot targets.
    void rebuildModulationUse();

private:
    EnvelopeEnd runEnvelopes(ModulationVoiceState& state) const noexcept;
    void clearBus(ModulationVoiceState& state, bool whole) const noexcept;
    void clampBus(ModulationVoiceState& state, bool whole) const noexcept;
    void runLfo(int l, ModulationVoiceState& state) const noexcept;
    void runModEnv(int e, ModulationVoiceState& state) const noexcept;
    void runMatrix(int m, ModulationVoiceState& state, float velocity) const noexcept;
    float lfoIncrement(int l, const float* prevMod) const noexcept;
    float rateIncrement(int l, const float* prevMod) const noexcept;

    const WavetableBank* bank = nullptr;
    const NoiseBuffers* noise = nullptr;
    float hostRateF = 0.0f;
    float sharedIncrement[kNumLfos] = {};
    const kernels::KernelSet* kernelSet = &kernels::bestKernels();
};

} // namespace talvane
