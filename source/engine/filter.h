// The voice's resonant four-stage ladder filter, one per channel, in five response types.
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/modbus.h"

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

private:
    const LookupTables* lookup = nullptr;
    float hostRateF = 0.0f;
};

} // namespace talvane
