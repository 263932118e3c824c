// The envelope generator used four times per voice: amplitude, filter, ENV1 and ENV2.
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/modbus.h"

#include <cstdint>

namespace talvane {

enum class EnvStage : std::int32_t
{
    Attack = 0,
    Decay = 1,
    Sustain = 2,
    Release = 3,
    Fade = 4, // only the amplitude envelope of a fade slot
};

struct EnvelopeSettings
{
    float attack = 0.0f; // normalized settings
    float decay = 0.0f;
    float sustain = 0.0f;
    float release = 0.0f;
    float attackRate = 0.0f; // phase increments per host sample, valid once the host rate is known
    float decayRate = 0.0f;
    float releaseRate = 0.0f;
};

struct EnvelopeState
{
    EnvStage stage = EnvStage::Attack;
    float phase = 0.0f;
    float out[kSubBlockSamples] = {};
    float releaseLevel = 0.0f;

    void start() noexcept;
    // Enters the release from the level reached.
    void startRelease() noexcept;
    // Fades a stolen voice out from its last level.
    void startFade() noexcept;
    float lastOutput() const { return out[kSubBlockSamples - 1]; }
};

enum class EnvelopeEnd
{
    Running,
    ReleaseFinished,
    FadeFinished,
};

// Inputs an envelope reads from its voice's modulation bus: which of its stage times are modulated
// and the previous sub-block's values of those destinations.
struct EnvelopeModulation
{
    const mod_dest::EnvelopeDestinations& destinations;
    const bool* modulated; // per destination
    const float* prevMod;  // per destination
};

// Computes the sub-block's 16 output values and advances the stage at the sub-block boundary.
EnvelopeEnd runEnvelope(EnvelopeState& state, const EnvelopeSettings& settings, const EnvelopeModulation& mod,
                        float hostRate) noexcept;

} // namespace talvane
