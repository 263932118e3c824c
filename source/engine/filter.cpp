#include "source/engine/filter.h"

#include "source/engine/laddertuning.h"
#include "source/engine/lookuptables.h"
#include "source/engine/scalarmath.h"
#include "source/params/paramcurves.h"

#include <algorithm>
#include <cmath>

namespace talvane {

namespace {

constexpr float kKeyFollowSpan = 120.0f; // semitones over which key follow moves the cutoff fully
constexpr float kMaxFeedback = 3.6f;

// The ladder's tuning and its resonance compensation were made at 44.1 kHz, where the cutoff range
// ends at 46 % of half the internal rate and the loop gain stays below 92 % of the critical gain.
// Below that rate the same cutoffs lie higher relative to the rate: the stage coefficient leaves its
// stable range as the cutoff nears half the internal rate (and the band-pass type's two last stages
// then amplify that frequency ever more), and the compensation no longer keeps the loop below the
// critical gain. There the relative cutoff is held at 0.8 and the loop gain at 92 % of the critical
// gain, so that only settings that would ring without limit, or far louder than anything at 44.1 kHz,
// change. At and above 44.1 kHz neither limit is ever reached, and neither is applied.
constexpr float kTunedHostRate = 44100.0f;
constexpr float kHighestRelativeCutoff = LookupTables::kCriticalGainHighestCutoff;
constexpr float kLoopGainMargin = 0.92f;

using kernels::LadderLanes;

void loadState(LadderLanes& L, int lane, const FilterChannelState& st)
{
    L.x0[lane] = st.x0;
    L.fb[lane] = st.fb;
    L.y1[lane] = st.y1;
    L.y2[lane] = st.y2;
    L.y3[lane] = st.y3;
    L.y4[lane] = st.y4;
}

void loadCoefficients(LadderLanes& L, int lane, const FilterCoefficients& c)
{
    L.p[lane] = c.p;
    L.p2[lane] = c.p2;
    L.f[lane] = c.f;
    L.k[lane] = c.k;
    L.comp[lane] = c.comp;
}

void storeState(const LadderLanes& L, int lane, FilterChannelState& st)
{
    st.x0 = L.x0[lane];
    st.fb = L.fb[lane];
    st.y1 = L.y1[lane];
    st.y2 = L.y2[lane];
    st.y3 = L.y3[lane];
    st.y4 = L.y4[lane];
}

// Padding lanes compute on zeros, which stay zeros.
void clearLanes(LadderLanes& L, VoiceLanes& io, int first, int end)
{
    for (float* column : {L.p, L.p2, L.f, L.k, L.comp})
        std::fill(column + first, column + end, 0.0f);
    for (int offset : {0, lanes::kRightLanes})
    {
        for (float* column : {L.x0, L.fb, L.y1, L.y2, L.y3, L.y4})
            std::fill(column + offset + first, column + offset + end, 0.0f);
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
            std::fill(io.samples[j] + offset + first, io.samples[j] + offset + end, 0.0f);
    }
}

} // namespace

void FilterVoiceState::start(float targetPitch, int referenceKey) noexcept
{
    left = FilterChannelState();
    right = FilterChannelState();
    keyValue = (targetPitch - static_cast<float>(referenceKey)) / kKeyFollowSpan;
}

void FilterStage::setSources(const LookupTables* lookupIn, float hostRate)
{
    lookup = lookupIn;
    hostRateF = hostRate;
    belowTunedRate = hostRate < kTunedHostRate;
}

FilterCoefficients FilterStage::coefficients(const FilterVoiceState& state, const ModBus& bus,
                                             float filterEnvFirstValue) const noexcept
{
    const FilterSettings& s = settings;
    const float c = clamp01(s.cutoff + bus.value[mod_dest::kFilterCutoff][0] +
                            (s.envAmount + bus.value[mod_dest::kFilterAmount][0]) * filterEnvFirstValue +
                            s.keyFollow * state.keyValue);
    const float fc = cutoffHz(c);
    // The compensation's position (clamped, and 0 for a NaN) reads inside its table whatever the
    // modulation adds up to.
    const float b = fc / kHighestCutoffHz;
    // The filter runs at twice the host rate, so fc / hostRate is the cutoff relative to half
    // the internal rate.
    float d = fc / hostRateF;
    if (belowTunedRate)
        d = std::min(d, kHighestRelativeCutoff);
    FilterCoefficients out;
    out.p = ladderTuning(d);
    out.f = 2.0f * out.p - 1.0f;
    // The band-pass type tunes its two last stages' delayed inputs an octave lower.
    const bool bandPass = s.type == FilterType::BandPass;
    out.p2 = bandPass ? ladderTuning(d / 2.0f) : out.p;
    float r = clamp01(s.resonance + bus.value[mod_dest::kFilterQ][0]);
    if (s.type == FilterType::Notch)
        r = 0.5f - 0.5f * r;
    out.k = kMaxFeedback * r;
    out.comp = lookup->resonanceComp(b);
    if (belowTunedRate)
    {
        const float loopGainLimit = kLoopGainMargin * lookup->criticalLoopGain(bandPass, d);
        if (out.k * out.comp > loopGainLimit)
            out.comp = loopGainLimit / out.k;
    }
    return out;
}

void FilterStage::render(FilterVoiceState& state, const ModBus& bus, float filterEnvFirstValue, float* left,
                         float* right) noexcept
{
    const FilterVoice voice{&state, &bus, filterEnvFirstValue};
    VoiceLanes io;
    io.load(0, left, right);
    renderVoices(&voice, 1, io);
    io.store(0, left, right);
}

void FilterStage::renderVoices(const FilterVoice* voices, int count, VoiceLanes& io) noexcept
{
    if (!settings.on || count <= 0)
        return;
    LadderLanes& L = *scratch;
    for (int v = 0; v < count; ++v)
    {
        const FilterVoice& voice = voices[v];
        loadCoefficients(L, v, coefficients(*voice.state, *voice.bus, voice.filterEnvFirstValue));
        loadState(L, v, voice.state->left);
        loadState(L, lanes::kRightLanes + v, voice.state->right);
    }
    const int used = lanes::paddedLanes(count);
    clearLanes(L, io, count, used);
    kernelSet->ladder({settings.type, &L, io.samples, used});
    for (int v = 0; v < count; ++v)
    {
        storeState(L, v, voices[v].state->left);
        storeState(L, lanes::kRightLanes + v, voices[v].state->right);
    }
}

} // namespace talvane
