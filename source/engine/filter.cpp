#include "source/engine/filter.h"

#include "source/engine/laddertuning.h"
#include "source/engine/lookuptables.h"
#include "source/engine/avx2math.h"
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

template <FilterType type>
TALVANE_KERNEL_BODY void runLanesBody(FilterLanes& L, VoiceLanes::Row* samples, int lanes)
{
    for (int half = 0; half < 2; ++half)
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            float* io = samples[j];
            for (int v = half * VoiceLanes::kRightLanes; v < half * VoiceLanes::kRightLanes + lanes; ++v)
            {
                const float s = io[v];
                const float p = L.p[v], p2 = L.p2[v], f = L.f[v];
                const float x = s - L.comp[v] * L.fb[v] * L.k[v];
                const float y1 = p * L.x0[v] + p * x - f * L.y1[v];
                const float y2 = p * L.y1[v] + p * y1 - f * L.y2[v];
                const float y3 = p2 * L.y2[v] + p * y2 - f * L.y3[v];
                const float y4 = p2 * L.y3[v] + p * y3 - f * L.y4[v];
                L.x0[v] = x;
                L.y1[v] = y1;
                L.y2[v] = y2;
                L.y3[v] = y3;
                L.y4[v] = y4;
                L.fb[v] = y4 - kFeedbackInputShare * s;
                if constexpr (type == FilterType::LowPass)
                    io[v] = y4;
                else if constexpr (type == FilterType::BandPass)
                    io[v] = y4 - y2;
                else if constexpr (type == FilterType::HighPass)
                    io[v] = x - y4;
                else if constexpr (type == FilterType::Peak)
                    io[v] = (y4 - y2) - kPeakInputShare * s;
                else
                    io[v] = (y4 - y2) + kNotchInputShare * s;
            }
        }
}

#ifdef TALVANE_HAS_AVX2_PATH
// Groups of eight lanes with their state held in registers across the sub-block; `Groups` groups
// run interleaved so that their dependency chains overlap. Each operation is the scalar
// recursion's, in its order.
template <FilterType type, int Groups>
TALVANE_TARGET_AVX2 [[gnu::always_inline]] inline void runGroupsAvx2(FilterLanes& L, VoiceLanes::Row* samples,
                                                                     const int (&starts)[Groups])
{
    const __m256 inputShare = _mm256_set1_ps(kFeedbackInputShare);
    __m256 x0[Groups], fb[Groups], y1[Groups], y2[Groups], y3[Groups], y4[Groups];
    for (int g = 0; g < Groups; ++g)
    {
        const int v = starts[g];
        x0[g] = _mm256_load_ps(L.x0 + v);
        fb[g] = _mm256_load_ps(L.fb + v);
        y1[g] = _mm256_load_ps(L.y1 + v);
        y2[g] = _mm256_load_ps(L.y2 + v);
        y3[g] = _mm256_load_ps(L.y3 + v);
        y4[g] = _mm256_load_ps(L.y4 + v);
    }
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        for (int g = 0; g < Groups; ++g)
        {
            const int v = starts[g];
            const __m256 p = _mm256_load_ps(L.p + v), p2 = _mm256_load_ps(L.p2 + v),
                         f = _mm256_load_ps(L.f + v);
            float* io = samples[j] + v;
            const __m256 s = _mm256_load_ps(io);
            const __m256 x = _mm256_sub_ps(
                s, _mm256_mul_ps(_mm256_mul_ps(_mm256_load_ps(L.comp + v), fb[g]), _mm256_load_ps(L.k + v)));
            const __m256 n1 = _mm256_sub_ps(_mm256_add_ps(_mm256_mul_ps(p, x0[g]), _mm256_mul_ps(p, x)),
                                            _mm256_mul_ps(f, y1[g]));
            const __m256 n2 = _mm256_sub_ps(_mm256_add_ps(_mm256_mul_ps(p, y1[g]), _mm256_mul_ps(p, n1)),
                                            _mm256_mul_ps(f, y2[g]));
            const __m256 n3 = _mm256_sub_ps(_mm256_add_ps(_mm256_mul_ps(p2, y2[g]), _mm256_mul_ps(p, n2)),
                                            _mm256_mul_ps(f, y3[g]));
            const __m256 n4 = _mm256_sub_ps(_mm256_add_ps(_mm256_mul_ps(p2, y3[g]), _mm256_mul_ps(p, n3)),
                                            _mm256_mul_ps(f, y4[g]));
            x0[g] = x;
            y1[g] = n1;
            y2[g] = n2;
            y3[g] = n3;
            y4[g] = n4;
            fb[g] = _mm256_sub_ps(n4, _mm256_mul_ps(inputShare, s));
            __m256 out;
            if constexpr (type == FilterType::LowPass)
                out = n4;
            else if constexpr (type == FilterType::BandPass)
                out = _mm256_sub_ps(n4, n2);
            else if constexpr (type == FilterType::HighPass)
                out = _mm256_sub_ps(x, n4);
            else if constexpr (type == FilterType::Peak)
                out = _mm256_sub_ps(_mm256_sub_ps(n4, n2), _mm256_mul_ps(_mm256_set1_ps(kPeakInputShare), s));
            else
                out =
                    _mm256_add_ps(_mm256_sub_ps(n4, n2), _mm256_mul_ps(_mm256_set1_ps(kNotchInputShare), s));
            _mm256_store_ps(io, out);
        }
    for (int g = 0; g < Groups; ++g)
    {
        const int v = starts[g];
        _mm256_store_ps(L.x0 + v, x0[g]);
        _mm256_store_ps(L.fb + v, fb[g]);
        _mm256_store_ps(L.y1 + v, y1[g]);
        _mm256_store_ps(L.y2 + v, y2[g]);
        _mm256_store_ps(L.y3 + v, y3[g]);
        _mm256_store_ps(L.y4 + v, y4[g]);
    }
}

// The groups of eight lanes, left halves then right halves, run in interleaved pairs.
template <FilterType type>
TALVANE_TARGET_AVX2 void runLanesAvx2(FilterLanes& L, VoiceLanes::Row* samples, int lanes)
{
    int starts[2 * VoiceLanes::kLanes / 8];
    int groups = 0;
    for (int half = 0; half < 2; ++half)
        for (int v = 0; v < lanes; v += 8)
            starts[groups++] = half * VoiceLanes::kRightLanes + v;
    int g = 0;
    for (; g + 2 <= groups; g += 2)
        runGroupsAvx2<type, 2>(L, samples, {starts[g], starts[g + 1]});
    if (g < groups)
        runGroupsAvx2<type, 1>(L, samples, {starts[g]});
}

// Sixteen lanes per register where the processor has AVX-512: all 32 lanes of 16 voices in two
// interleaved groups.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
template <FilterType type, int Groups>
TALVANE_TARGET_AVX512 [[gnu::always_inline]] inline void
runGroupsAvx512(FilterLanes& L, VoiceLanes::Row* samples, const int (&starts)[Groups])
{
    const __m512 inputShare = _mm512_set1_ps(kFeedbackInputShare);
    __m512 x0[Groups], fb[Groups], y1[Groups], y2[Groups], y3[Groups], y4[Groups];
    for (int g = 0; g < Groups; ++g)
    {
        const int v = starts[g];
        x0[g] = _mm512_loadu_ps(L.x0 + v);
        fb[g] = _mm512_loadu_ps(L.fb + v);
        y1[g] = _mm512_loadu_ps(L.y1 + v);
        y2[g] = _mm512_loadu_ps(L.y2 + v);
        y3[g] = _mm512_loadu_ps(L.y3 + v);
        y4[g] = _mm512_loadu_ps(L.y4 + v);
    }
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        for (int g = 0; g < Groups; ++g)
        {
            const int v = starts[g];
            const __m512 p = _mm512_loadu_ps(L.p + v), p2 = _mm512_loadu_ps(L.p2 + v),
                         f = _mm512_loadu_ps(L.f + v);
            float* io = samples[j] + v;
            const __m512 s = _mm512_loadu_ps(io);
            const __m512 x = _mm512_sub_ps(s, _mm512_mul_ps(_mm512_mul_ps(_mm512_loadu_ps(L.comp + v), fb[g]),
                                                            _mm512_loadu_ps(L.k + v)));
            const __m512 n1 = _mm512_sub_ps(_mm512_add_ps(_mm512_mul_ps(p, x0[g]), _mm512_mul_ps(p, x)),
                                            _mm512_mul_ps(f, y1[g]));
            const __m512 n2 = _mm512_sub_ps(_mm512_add_ps(_mm512_mul_ps(p, y1[g]), _mm512_mul_ps(p, n1)),
                                            _mm512_mul_ps(f, y2[g]));
            const __m512 n3 = _mm512_sub_ps(_mm512_add_ps(_mm512_mul_ps(p2, y2[g]), _mm512_mul_ps(p, n2)),
                                            _mm512_mul_ps(f, y3[g]));
            const __m512 n4 = _mm512_sub_ps(_mm512_add_ps(_mm512_mul_ps(p2, y3[g]), _mm512_mul_ps(p, n3)),
                                            _mm512_mul_ps(f, y4[g]));
            x0[g] = x;
            y1[g] = n1;
            y2[g] = n2;
            y3[g] = n3;
            y4[g] = n4;
            fb[g] = _mm512_sub_ps(n4, _mm512_mul_ps(inputShare, s));
            __m512 out;
            if constexpr (type == FilterType::LowPass)
                out = n4;
            else if constexpr (type == FilterType::BandPass)
                out = _mm512_sub_ps(n4, n2);
            else if constexpr (type == FilterType::HighPass)
                out = _mm512_sub_ps(x, n4);
            else if constexpr (type == FilterType::Peak)
                out = _mm512_sub_ps(_mm512_sub_ps(n4, n2), _mm512_mul_ps(_mm512_set1_ps(kPeakInputShare), s));
            else
                out =
                    _mm512_add_ps(_mm512_sub_ps(n4, n2), _mm512_mul_ps(_mm512_set1_ps(kNotchInputShare), s));
            _mm512_storeu_ps(io, out);
        }
    for (int g = 0; g < Groups; ++g)
    {
        const int v = starts[g];
        _mm512_storeu_ps(L.x0 + v, x0[g]);
        _mm512_storeu_ps(L.fb + v, fb[g]);
        _mm512_storeu_ps(L.y1 + v, y1[g]);
        _mm512_storeu_ps(L.y2 + v, y2[g]);
        _mm512_storeu_ps(L.y3 + v, y3[g]);
        _mm512_storeu_ps(L.y4 + v, y4[g]);
    }
}
#pragma GCC diagnostic pop

template <FilterType type>
TALVANE_TARGET_AVX512 void runLanesAvx512(FilterLanes& L, VoiceLanes::Row* samples, int lanes)
{
    // Sixteen-lane groups of both halves in interleaved pairs; a group of eight left over in each
    // half runs as AVX2.
    const int wide = lanes / 16 * 16;
    int starts[2 * VoiceLanes::kLanes / 16];
    int groups = 0;
    for (int half = 0; half < 2; ++half)
        for (int v = 0; v < wide; v += 16)
            starts[groups++] = half * VoiceLanes::kRightLanes + v;
    int g = 0;
    for (; g + 2 <= groups; g += 2)
        runGroupsAvx512<type, 2>(L, samples, {starts[g], starts[g + 1]});
    if (g < groups)
        runGroupsAvx512<type, 1>(L, samples, {starts[g]});
    if (wide < lanes)
        runGroupsAvx2<type, 2>(L, samples, {wide, VoiceLanes::kRightLanes + wide});
}
#endif

template <FilterType type>
void runLanesBaseline(FilterLanes& L, VoiceLanes::Row* samples, int lanes)
{
    runLanesBody<type>(L, samples, lanes);
}

template <FilterType type>
void runLanes(FilterLanes& L, VoiceLanes::Row* samples, int lanes)
{
#ifdef TALVANE_HAS_AVX2_PATH
    if (simd::hasAvx512())
        return runLanesAvx512<type>(L, samples, lanes);
    if (simd::hasAvx2())
        return runLanesAvx2<type>(L, samples, lanes);
#endif
    runLanesBaseline<type>(L, samples, lanes);
}

void loadLane(FilterLanes& L, int lane, const FilterChannelState& st, const FilterCoefficients& c)
{
    L.x0[lane] = st.x0;
    L.fb[lane] = st.fb;
    L.y1[lane] = st.y1;
    L.y2[lane] = st.y2;
    L.y3[lane] = st.y3;
    L.y4[lane] = st.y4;
    L.p[lane] = c.p;
    L.p2[lane] = c.p2;
    L.f[lane] = c.f;
    L.k[lane] = c.k;
    L.comp[lane] = c.comp;
}

void storeLane(const FilterLanes& L, int lane, FilterChannelState& st)
{
    st.x0 = L.x0[lane];
    st.fb = L.fb[lane];
    st.y1 = L.y1[lane];
    st.y2 = L.y2[lane];
    st.y3 = L.y3[lane];
    st.y4 = L.y4[lane];
}

// Padding lanes compute on zeros, which stay zeros.
void clearLanes(FilterLanes& L, VoiceLanes& io, int first, int end)
{
    for (int half = 0; half < 2; ++half)
    {
        const int offset = half * VoiceLanes::kRightLanes;
        for (float* column : {L.x0, L.fb, L.y1, L.y2, L.y3, L.y4, L.p, L.p2, L.f, L.k, L.comp})
            std::fill(column + offset + first, column + offset + end, 0.0f);
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
            std::fill(io.samples[j] + offset + first, io.samples[j] + offset + end, 0.0f);
    }
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
    belowTunedRate = hostRate < kTunedHostRate;
}

FilterCoefficients FilterStage::coefficients(const FilterVoiceState& state, const ModBus& bus,
                                             float filterEnvFirstValue) const
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
                         float* right) const
{
    const FilterVoice voice{&state, &bus, filterEnvFirstValue};
    VoiceLanes io;
    io.load(0, left, right);
    renderVoices(&voice, 1, io);
    io.store(0, left, right);
}

void FilterStage::renderVoices(const FilterVoice* voices, int count, VoiceLanes& io) const
{
    if (!settings.on || count <= 0)
        return;
    FilterLanes& lanes = *scratch;
    const int padded =
        (count + FilterLanes::kLaneGroup - 1) / FilterLanes::kLaneGroup * FilterLanes::kLaneGroup;
    for (int v = 0; v < count; ++v)
    {
        const FilterVoice& voice = voices[v];
        const FilterCoefficients c = coefficients(*voice.state, *voice.bus, voice.filterEnvFirstValue);
        loadLane(lanes, v, voice.state->left, c);
        loadLane(lanes, VoiceLanes::kRightLanes + v, voice.state->right, c);
    }
    clearLanes(lanes, io, count, padded);
    switch (settings.type)
    {
    case FilterType::LowPass:
        runLanes<FilterType::LowPass>(lanes, io.samples, padded);
        break;
    case FilterType::BandPass:
        runLanes<FilterType::BandPass>(lanes, io.samples, padded);
        break;
    case FilterType::HighPass:
        runLanes<FilterType::HighPass>(lanes, io.samples, padded);
        break;
    case FilterType::Peak:
        runLanes<FilterType::Peak>(lanes, io.samples, padded);
        break;
    case FilterType::Notch:
        runLanes<FilterType::Notch>(lanes, io.samples, padded);
        break;
    }
    for (int v = 0; v < count; ++v)
    {
        storeLane(lanes, v, voices[v].state->left);
        storeLane(lanes, VoiceLanes::kRightLanes + v, voices[v].state->right);
    }
}

} // namespace talvane
