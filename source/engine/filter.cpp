#include "source/engine/filter.h"

#include "source/engine/lookuptables.h"
#include "source/params/paramcurves.h"

#include <algorithm>
#include <cmath>

namespace talvane {

namespace {

constexpr float kHighestCutoffHz = 20480.0f;
constexpr float kKeyFollowSpan = 120.0f; // semitones over which key follow moves the cutoff fully
constexpr float kMaxFeedback = 3.6f;
constexpr float kFeedbackInputShare = 0.125f;
constexpr float kPeakInputShare = 0.33f;
constexpr float kNotchInputShare = 0.66f;

inline float clamp01(float x)
{
    return std::min(std::max(x, 0.0f), 1.0f);
}

// The ladder's stage coefficient for a cutoff d relative to half the internal rate.
inline float tuning(float d)
{
    return (1.8f - 0.8f * d) * d;
}

template <FilterType type>
void runLadder(FilterChannelState& st, const FilterCoefficients& c, float* samples)
{
    const float p = c.p, p2 = c.p2, f = c.f;
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        const float s = samples[j];
        const float x = s - c.comp * st.fb * c.k;
        const float y1 = p * st.x0 + p * x - f * st.y1;
        const float y2 = p * st.y1 + p * y1 - f * st.y2;
        const float y3 = p2 * st.y2 + p * y2 - f * st.y3;
        const float y4 = p2 * st.y3 + p * y3 - f * st.y4;
        st.x0 = x;
        st.y1 = y1;
        st.y2 = y2;
        st.y3 = y3;
        st.y4 = y4;
        st.fb = y4 - kFeedbackInputShare * s;
        if constexpr (type == FilterType::LowPass)
            samples[j] = y4;
        else if constexpr (type == FilterType::BandPass)
            samples[j] = y4 - y2;
        else if constexpr (type == FilterType::HighPass)
            samples[j] = x - y4;
        else if constexpr (type == FilterType::Peak)
            samples[j] = (y4 - y2) - kPeakInputShare * s;
        else
            samples[j] = (y4 - y2) + kNotchInputShare * s;
    }
}

template <FilterType type>
void runBoth(FilterVoiceState& state, const FilterCoefficients& c, float* left, float* right)
{
    runLadder<type>(state.left, c, left);
    runLadder<type>(state.right, c, right);
}

} // namespace

void FilterVoiceState::start(float targetPitch, int referenceKey)
{
    left = FilterChannelState();
    right = FilterChannelState();
    keyValue = (targetPitch - static_cast<float>(referenceKey)) / kKeyFollowSpan;
}

void FilterStage::setSources(const LookupTables* lookupIn, float hostRate)
{
    lookup = lookupIn;
    hostRateF = hostRate;
}

FilterCoefficients FilterStage::coefficients(const FilterVoiceState& state, const ModBus& bus,
                                             float filterEnvFirstValue) const
{
    const FilterSettings& s = settings;
    const float c = clamp01(s.cutoff + bus.value[mod_dest::kFilterCutoff][0] +
                            (s.envAmount + bus.value[mod_dest::kFilterAmount][0]) * filterEnvFirstValue +
                            s.keyFollow * state.keyValue);
    const float fc = cutoffHz(c);
    const float b = clamp01(fc / kHighestCutoffHz);
    // The filter runs at twice the host rate, so fc / hostRate is the cutoff relative to half
    // the internal rate.
    const float d = fc / hostRateF;
    FilterCoefficients out;
    out.p = tuning(d);
    out.f = 2.0f * out.p - 1.0f;
    // The band-pass type tunes its two last stages' delayed inputs an octave lower.
    out.p2 = s.type == FilterType::BandPass ? tuning(d / 2.0f) : out.p;
    float r = clamp01(s.resonance + bus.value[mod_dest::kFilterQ][0]);
    if (s.type == FilterType::Notch)
        r = 0.5f - 0.5f * r;
    out.k = kMaxFeedback * r;
    const int entries = LookupTables::kResonanceCompLength;
    out.comp =
        lookup
            ->resonanceCompTable()[std::min(static_cast<int>(b * static_cast<float>(entries)), entries - 1)];
    return out;
}

void FilterStage::render(FilterVoiceState& state, const ModBus& bus, float filterEnvFirstValue, float* left,
                         float* right) const
{
    if (!settings.on)
        return;
    const FilterCoefficients c = coefficients(state, bus, filterEnvFirstValue);
    switch (settings.type)
    {
    case FilterType::LowPass:
        runBoth<FilterType::LowPass>(state, c, left, right);
        break;
    case FilterType::BandPass:
        runBoth<FilterType::BandPass>(state, c, left, right);
        break;
    case FilterType::HighPass:
        runBoth<FilterType::HighPass>(state, c, left, right);
        break;
    case FilterType::Peak:
        runBoth<FilterType::Peak>(state, c, left, right);
        break;
    case FilterType::Notch:
        runBoth<FilterType::Notch>(state, c, left, right);
        break;
    }
}

} // namespace talvane
