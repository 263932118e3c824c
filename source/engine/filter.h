// The voice's resonant four-stage ladder filter, one per channel, in five response types.
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/modbus.h"
#include "source/engine/voicelanes.h"

#include <memory>

namespace talvane {

class LookupTables;

enum class FilterType : int
{
    LowPass = 0,
    BandPass = 1,
    HighPass = 2,
    Peak = 3,
    Notch = 4,
};

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

    void start(float targetPitch, int referenceKey);
};

// Coefficients shared by both channels for one sub-block.
struct FilterCoefficients
{
    float p, p2, f, k, comp;
};

// All voices' ladders run side by side, one lane per voice and channel: each sample's recursion is
// a long dependency chain, and independent lanes let the processor overlap the chains (and the
// compiler vectorise across them). Every lane computes exactly the scalar recursion.
struct FilterLanes
{
    static constexpr int kMaxLanes = 2 * VoiceLanes::kLanes; // left lanes, then right lanes
    static constexpr int kLaneGroup = 8;                     // lanes are processed in groups of this many

    alignas(32) float x0[kMaxLanes];
    alignas(32) float fb[kMaxLanes];
    alignas(32) float y1[kMaxLanes];
    alignas(32) float y2[kMaxLanes];
    alignas(32) float y3[kMaxLanes];
    alignas(32) float y4[kMaxLanes];
    alignas(32) float p[kMaxLanes];
    alignas(32) float p2[kMaxLanes];
    alignas(32) float f[kMaxLanes];
    alignas(32) float k[kMaxLanes];
    alignas(32) float comp[kMaxLanes];
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

    FilterCoefficients coefficients(const FilterVoiceState& state, const ModBus& bus,
                                    float filterEnvFirstValue) const;
    // Filters one sub-block of the voice in place. Does nothing when the filter is off.
    void render(FilterVoiceState& state, const ModBus& bus, float filterEnvFirstValue, float* left,
                float* right) const;
    // Filters one sub-block of several voices at once (up to all voice slots), in place in their
    // lanes: voice v's samples are lane v of `io`.
    void renderVoices(const FilterVoice* voices, int count, VoiceLanes& io) const;

private:
    const LookupTables* lookup = nullptr;
    float hostRateF = 0.0f;
    bool belowTunedRate = false; // the cutoff and loop-gain limits apply (filter.cpp)
    // Working storage of renderVoices, kept with the stage so the audio thread never allocates.
    std::unique_ptr<FilterLanes> scratch = std::make_unique<FilterLanes>();
};

} // namespace talvane
