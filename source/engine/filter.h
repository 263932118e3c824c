// The voice's resonant four-stage ladder filter, one per channel, in five response types.
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/filtertype.h"
#include "source/engine/kernels/kernelset.h"
#include "source/engine/kernels/lanes.h"
#include "source/engine/modbus.h"

#include <memory>

namespace talvane {

class LookupTables;

struct FilterSettings
{
    bool on = true;
    float cutoff = 1.0f;    // normalized
    float resonance = 0.0f; // normalized
    FilterType type = FilterType::LowPass;
    float envAmount = 0.0f; // -1..1
    float keyFollow = 0.0f; // normalized
    int referenceKey = 69;  // note number
};

struct FilterChannelState
{
    float x0 = 0.0f; // last stage input
    float fb = 0.0f; // feedback signal
    float y1 = 0.0f, y2 = 0.0f, y3 = 0.0f, y4 = 0.0f;
};

struct FilterVoiceState
{
    FilterChannelState left, right;
    float keyValue = 0.0f; // distance of the note from the reference key, fixed at note start

    void start(float targetPitch, int referenceKey) noexcept;
};

// Coefficients shared by both channels for one sub-block.
struct FilterCoefficients
{
    float p, p2, f, k, comp;
};

// One voice's share of a filter sub-block: its state, its modulation, and the samples to filter.
struct FilterVoice
{
    FilterVoiceState* state;
    const ModBus* bus;
    float filterEnvFirstValue;
};

class FilterStage
{
public:
    FilterSettings settings;

    void setSources(const LookupTables* lookup, float hostRate);
    // The kernels to render with: the best the processor has unless a test chooses.
    void useKernels(const kernels::KernelSet& set) noexcept { kernelSet = &set; }

    FilterCoefficients coefficients(const FilterVoiceState& state, const ModBus& bus,
                                    float filterEnvFirstValue) const noexcept;
    // Filters one sub-block of the voice in place. Does nothing when the filter is off.
    void render(FilterVoiceState& state, const ModBus& bus, float filterEnvFirstValue, float* left,
                float* right) noexcept;
    // Filters one sub-block of several voices at once (up to all voice slots), in place in their
    // lanes: voice v's samples are lane v of `io`. All voices' ladders run side by side: each
    // sample's recursion is a long dependency chain, and independent lanes let the processor
    // overlap the chains. Every lane computes exactly the scalar recursion.
    void renderVoices(const FilterVoice* voices, int count, VoiceLanes& io) noexcept;

private:
    const LookupTables* lookup = nullptr;
    float hostRateF = 0.0f;
    bool belowTunedRate = false; // the cutoff and loop-gain limits apply (filter.cpp)
    const kernels::KernelSet* kernelSet = &kernels::bestKernels();
    // Working storage of renderVoices, kept with the stage so the audio thread never allocates.
    std::unique_ptr<kernels::LadderLanes> scratch = std::make_unique<kernels::LadderLanes>();
};

} // namespace talvane
