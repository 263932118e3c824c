// The band-limited single-period wavetables of the twelve periodic waveforms, one per MIDI note.
#pragma once

#include <memory>

namespace talvane {

// Every table holds one period of its waveform (starting at phase 0) as the waveform's Fourier
// series truncated after partialCount(note) harmonics: no window, no renormalisation, no DC.
// The bank is immutable once built and the same for every processor, so one instance per process
// serves them all (shared()). Addressing follows the flat 16-slot layout of waveform numbers:
// the noise waveforms 4 and 5, and 14 and 15, are slots that read silence.
class WavetableBank
{
public:
    static constexpr int kTableLength = 4096; // a power of two: readers wrap an index by a mask
    static constexpr int kNumNotes = 128;
    static constexpr int kNumSlots = 16;
    static constexpr int kNumFilledSlots = 12;
    static constexpr int kMaxPartials = 2044;

    // The process's bank, built on first use (thread-safe) and kept until the process ends.
    // Throws std::bad_alloc if the bank cannot be allocated; a later call tries again.
    static const WavetableBank& shared();
    // A bank of its own, for measuring the build; everything else uses shared().
    static std::unique_ptr<const WavetableBank> build();

    ~WavetableBank();
    WavetableBank(const WavetableBank&) = delete;
    WavetableBank& operator=(const WavetableBank&) = delete;

    // The kTableLength samples of one table. waveform is taken modulo 16 and note modulo 128.
    const float* table(int waveform, int note) const
    {
        return tables[waveform & (kNumSlots - 1)][note & (kNumNotes - 1)];
    }
    float tableSample(int waveform, int note, int index) const
    {
        return table(waveform, note)[index & (kTableLength - 1)];
    }
    // All filled tables lie in one block of samples; a periodic waveform's table can be named by
    // its offset from the block's start, which lets many voices read through one base pointer.
    const float* sampleBlock() const { return samples.get(); }
    // Offset of table(waveform, note) in sampleBlock(); waveform must be a periodic one (not 4, 5).
    int tableOffset(int waveform, int note) const
    {
        return static_cast<int>(table(waveform, note) - samples.get());
    }
    // Number of harmonics kept in the tables of a note (taken modulo 128), the same for every waveform.
    static int partialCount(int note);

private:
    static constexpr int kNumSamples = kNumFilledSlots * kNumNotes * kTableLength;

    // The sample storage is a separate allocation placed for fast first touch (see the source).
    struct SampleStorageDeleter
    {
        void operator()(float* storage) const;
    };
    static std::unique_ptr<float[], SampleStorageDeleter> allocateSamples();

    WavetableBank();

    std::unique_ptr<float[], SampleStorageDeleter> samples;
    alignas(64) float silence[kTableLength];
    const float* tables[kNumSlots][kNumNotes];
};

static_assert((WavetableBank::kTableLength & (WavetableBank::kTableLength - 1)) == 0,
              "a table index wraps by masking with kTableLength - 1");

} // namespace talvane
