#include "source/engine/wavetablebank.h"

#include "source/engine/waveformspectra.h"
#include "source/engine/waveforms.h"

#include <fftw3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#ifdef _WIN32
#include <malloc.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

// The tables are synthesised in double precision (coefficients and inverse FFT) and stored as float.

namespace talvane {

namespace {

constexpr int kTableLength = WavetableBank::kTableLength;
constexpr int kNumNotes = WavetableBank::kNumNotes;
constexpr int kMaxPartials = WavetableBank::kMaxPartials;
// Bins 0 .. N/2 of the half spectrum of a real signal of length N.
constexpr int kSpectrumLength = kTableLength / 2 + 1;
static_assert(kMaxPartials < kTableLength / 2, "every partial lies below the tables' Nyquist bin");

// Harmonics per note. In the lowest octave, the most whose frequencies stay at or below about
// 21,963 Hz (at most 2044); each octave up holds half as many, rounded up, counted from the uncapped
// lowest-octave numbers (so the top octaves keep a few partials above the host's Nyquist frequency,
// which the doubled internal rate still carries). The list is authoritative: notes 14, 26 and 38
// hold one partial less than that rule.
constexpr int kPartialCounts[kNumNotes] = {
    2044, 2044, 2044, 2044, 2044, 2012, 1899, 1792, 1692, 1597, 1507, 1423, // 0-11
    1343, 1268, 1196, 1129, 1066, 1006, 950,  896,  846,  799,  754,  712,  // 12-23
    672,  634,  598,  565,  533,  503,  475,  448,  423,  400,  377,  356,  // 24-35
    336,  317,  299,  283,  267,  252,  238,  224,  212,  200,  189,  178,  // 36-47
    168,  159,  150,  142,  134,  126,  119,  112,  106,  100,  95,   89,   // 48-59
    84,   80,   75,   71,   67,   63,   60,   56,   53,   50,   48,   45,   // 60-71
    42,   40,   38,   36,   34,   32,   30,   28,   27,   25,   24,   23,   // 72-83
    21,   20,   19,   18,   17,   16,   15,   14,   14,   13,   12,   12,   // 84-95
    11,   10,   10,   9,    9,    8,    8,    7,    7,    7,    6,    6,    // 96-107
    6,    5,    5,    5,    5,    4,    4,    4,    4,    4,    3,    3,    // 108-119
    3,    3,    3,    3,    3,    2,    2,    2,                            // 120-127
};

constexpr bool partialCountsFallWithPitch()
{
    for (int note = 1; note < kNumNotes; ++note)
        if (kPartialCounts[note] > kPartialCounts[note - 1] || kPartialCounts[note] < 1)
            return false;
    return kPartialCounts[0] <= kMaxPartials;
}
// Notes with equal partial counts are neighbours, so comparing with the previous note finds every
// table that can be copied instead of synthesised.
static_assert(partialCountsFallWithPitch(), "partial counts never rise from one note to the next");

constexpr int countPeriodicSlots()
{
    int count = 0;
    for (int w = 0; w < WavetableBank::kNumSlots; ++w)
        count += waveform::isPeriodic(w) ? 1 : 0;
    return count;
}
static_assert(countPeriodicSlots() == WavetableBank::kNumFilledSlots,
              "one filled slot per periodic waveform");

// FFTW's planner (plan creation and destruction) is not thread-safe, unlike executing a plan. Banks
// are normally built once, but build() may run on several threads at once.
std::mutex& fftwPlannerMutex()
{
    static std::mutex mutex;
    return mutex;
}

// One inverse real FFT of the table length, planned once and executed for every table.
class InverseRealFft
{
public:
    InverseRealFft()
    {
        std::lock_guard<std::mutex> lock(fftwPlannerMutex());
        spectrum = fftw_alloc_complex(kSpectrumLength);
        output = fftw_alloc_real(kTableLength);
        if (spectrum && output)
            plan = fftw_plan_dft_c2r_1d(kTableLength, spectrum, output, FFTW_ESTIMATE);
        if (!plan)
        {
            release();
            throw std::bad_alloc();
        }
    }
    ~InverseRealFft()
    {
        std::lock_guard<std::mutex> lock(fftwPlannerMutex());
        release();
    }
    InverseRealFft(const InverseRealFft&) = delete;
    InverseRealFft& operator=(const InverseRealFft&) = delete;

    // Synthesises Σ_{k=1}^{count} harmonics[k] over one period into `table`. FFTW's unnormalised
    // inverse gives x_j = Σ_k 2·Re(X_k·e^{2πijk/N}), so X_k = (a_k − i·b_k)/2 yields
    // a_k·cos + b_k·sin directly.
    void synthesize(const std::vector<Harmonic>& harmonics, int count, float* table)
    {
        // The transform overwrites its input: the whole spectrum is written every time.
        spectrum[0][0] = spectrum[0][1] = 0.0;
        for (int k = 1; k <= count; ++k)
        {
            spectrum[k][0] = 0.5 * harmonics[k].cosine;
            spectrum[k][1] = -0.5 * harmonics[k].sine;
        }
        for (int k = count + 1; k < kSpectrumLength; ++k)
            spectrum[k][0] = spectrum[k][1] = 0.0;
        fftw_execute(plan);
        std::copy(output, output + kTableLength, table);
    }

private:
    void release()
    {
        if (plan)
            fftw_destroy_plan(plan);
        fftw_free(output);
        fftw_free(spectrum);
        plan = nullptr;
        output = nullptr;
        spectrum = nullptr;
    }

    fftw_complex* spectrum = nullptr;
    double* output = nullptr;
    fftw_plan plan = nullptr;
};

// highest[k]: the highest harmonic ≤ k that the waveform actually has (0 if none). Two partial
// counts with the same highest present harmonic give identical tables.
std::vector<int> highestPresentHarmonics(const std::vector<Harmonic>& harmonics)
{
    std::vector<int> highest(harmonics.size(), 0);
    for (size_t k = 1; k < harmonics.size(); ++k)
        highest[k] = harmonics[k].isZero() ? highest[k - 1] : static_cast<int>(k);
    return highest;
}

// Fills the 128 tables of one waveform, note after note, synthesising a table only where its set of
// harmonics differs from the previous note's.
void fillSlot(int w, float* slotSamples, InverseRealFft& fft)
{
    std::vector<Harmonic> harmonics(kMaxPartials + 1);
    for (int k = 1; k <= kMaxPartials; ++k)
        harmonics[k] = waveformHarmonic(w, k);
    const std::vector<int> highest = highestPresentHarmonics(harmonics);

    int previousHighest = -1;
    for (int note = 0; note < kNumNotes; ++note)
    {
        float* table = slotSamples + note * kTableLength;
        const int count = highest[kPartialCounts[note]];
        if (count == previousHighest)
            std::memcpy(table, table - kTableLength, kTableLength * sizeof(float));
        else
            fft.synthesize(harmonics, count, table);
        previousHighest = count;
    }
}

// Writing 24 MiB for the first time costs one page fault per page. On transparent huge pages the
// bank takes 12 faults instead of 6144, which is most of the time of building it.
constexpr std::size_t kHugePageSize = std::size_t(2) << 20;
constexpr std::size_t kSampleBytes =
    std::size_t(WavetableBank::kNumFilledSlots) * kNumNotes * kTableLength * sizeof(float);
static_assert(kSampleBytes % kHugePageSize == 0, "the samples fill whole huge pages");

} // namespace

std::unique_ptr<float[], WavetableBank::SampleStorageDeleter> WavetableBank::allocateSamples()
{
#ifdef _WIN32
    void* storage = _aligned_malloc(kSampleBytes, kHugePageSize);
#else
    void* storage = std::aligned_alloc(kHugePageSize, kSampleBytes);
#endif
    if (!storage)
        throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only a hint: without huge pages the bank is the same, merely slower to write.
    madvise(storage, kSampleBytes, MADV_HUGEPAGE);
#endif
    return std::unique_ptr<float[], SampleStorageDeleter>(static_cast<float*>(storage));
}

void WavetableBank::SampleStorageDeleter::operator()(float* storage) const
{
#ifdef _WIN32
    _aligned_free(storage);
#else
    std::free(storage);
#endif
}

WavetableBank::WavetableBank() : samples(allocateSamples())
{
    static_assert(kNumSamples * sizeof(float) == kSampleBytes, "one allocation holds every filled slot");
    std::fill(std::begin(silence), std::end(silence), 0.0f);
    InverseRealFft fft;
    int filled = 0;
    for (int w = 0; w < kNumSlots; ++w)
    {
        if (!waveform::isPeriodic(w))
        {
            std::fill(std::begin(tables[w]), std::end(tables[w]), silence);
            continue;
        }
        float* slotSamples = samples.get() + filled * kNumNotes * kTableLength;
        fillSlot(w, slotSamples, fft);
        for (int note = 0; note < kNumNotes; ++note)
            tables[w][note] = slotSamples + note * kTableLength;
        ++filled;
    }
}

WavetableBank::~WavetableBank() = default;

std::unique_ptr<const WavetableBank> WavetableBank::build()
{
    return std::unique_ptr<const WavetableBank>(new WavetableBank());
}

const WavetableBank& WavetableBank::shared()
{
    // A function-local static is initialised exactly once, even when threads race for it.
    static const std::unique_ptr<const WavetableBank> bank = build();
    return *bank;
}

int WavetableBank::partialCount(int note)
{
    return kPartialCounts[note & (kNumNotes - 1)];
}

} // namespace talvane
