#include "source/engine/envelope.h"

#include "source/engine/scalarmath.h"
#include "source/params/paramcurves.h"

#include <algorithm>
#include <iterator>

namespace talvane {

namespace {

constexpr float kFadeSeconds = 0.005f;

// A stage's increment: the precomputed rate, or, while the stage time is modulated, the time law
// evaluated for the modulated setting.
template <typename SecondsLaw>
float stageIncrement(float rate, float setting, int destination, const EnvelopeModulation& mod,
                     float hostRate, SecondsLaw seconds)
{
    if (!mod.modulated[destination])
        return rate;
    return stageRate(seconds(clamp01(setting + mod.prevMod[destination])), hostRate);
}

} // namespace

void EnvelopeState::start() noexcept
{
    stage = EnvStage::Attack;
    phase = 0.0f;
    releaseLevel = 0.0f;
    std::fill(std::begin(out), std::end(out), 0.0f);
}

void EnvelopeState::startRelease() noexcept
{
    stage = EnvStage::Release;
    phase = 0.0f;
    releaseLevel = lastOutput();
}

void EnvelopeState::startFade() noexcept
{
    stage = EnvStage::Fade;
    phase = 0.0f;
    releaseLevel = lastOutput();
}

EnvelopeEnd runEnvelope(EnvelopeState& state, const EnvelopeSettings& settings, const EnvelopeModulation& mod,
                        float hostRate) noexcept
{
    float phase = state.phase;
    switch (state.stage)
    {
    case EnvStage::Attack:
    {
        const float t = stageIncrement(settings.attackRate, settings.attack, mod.destinations.attack, mod,
                                       hostRate, attackSeconds);
        for (float& value : state.out)
        {
            value = clamp01(phase);
            phase += t;
        }
        break;
    }
    case EnvStage::Decay:
    {
        const float t = stageIncrement(settings.decayRate, settings.decay, mod.destinations.decay, mod,
                                       hostRate, decaySeconds);
        // The decay aims at the unmodulated sustain setting.
        const float depth = 1.0f - settings.sustain;
        for (float& value : state.out)
        {
            value = clamp01(1.0f - depth * phase);
            phase += t;
        }
        break;
    }
    case EnvStage::Sustain:
    {
        // Read without checking the flag: an untargeted destination holds 0.
        const float level = clamp01(settings.sustain + mod.prevMod[mod.destinations.sustain]);
        std::fill(std::begin(state.out), std::end(state.out), level);
        break;
    }
    case EnvStage::Release:
    case EnvStage::Fade:
    {
        const float t = state.stage == EnvStage::Fade
                            ? 1.0f / (kFadeSeconds * hostRate)
                            : stageIncrement(settings.releaseRate, settings.release, mod.destinations.release,
                                             mod, hostRate, releaseSeconds);
        const float level = state.releaseLevel;
        for (float& value : state.out)
        {
            value = clamp01((1.0f - phase) * level);
            phase += t;
        }
        break;
    }
    }
    state.phase = phase;

    // Stage changes fall on sub-block boundaries.
    if (phase < 1.0f)
        return EnvelopeEnd::Running;
    switch (state.stage)
    {
    case EnvStage::Attack:
        state.stage = EnvStage::Decay;
        state.phase = 0.0f;
        return EnvelopeEnd::Running;
    case EnvStage::Decay:
        state.stage = EnvStage::Sustain;
        state.phase = 0.0f;
        state.releaseLevel = settings.sustain;
        return EnvelopeEnd::Running;
    case EnvStage::Sustain:
        return EnvelopeEnd::Running;
    case EnvStage::Release:
        return EnvelopeEnd::ReleaseFinished;
    case EnvStage::Fade:
        return EnvelopeEnd::FadeFinished;
    }
    return EnvelopeEnd::Running;
}

} // namespace talvane
