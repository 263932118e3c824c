// The synthesis engine: voice slots and their note handling, the DSP stages run once per
// sub-block for every active voice, and the output stage.
#pragma once

#include "source/engine/alignedbuffer.h"
#include "source/engine/engineconstants.h"
#include "source/engine/filter.h"
#include "source/engine/modulation.h"
#include "source/engine/noisebuffers.h"
#include "source/engine/oscillators.h"
#include "source/engine/outputstage.h"
#include "source/engine/voice.h"

#include <cstdint>
#include <memory>

namespace talvane {

class WavetableBank;
class LookupTables;

class SynthEngine
{
public:
    static constexpr int kEmptyOrderEntry = kNumPlayableVoices;

    SynthEngine();
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;

    // Settings, written by the parameter application.
    OscillatorStage oscillators;
    FilterStage filter;
    ModulationStage modulation;
    float outputGain = 0.0f;
    float glideSeconds = 0.0f; // the portamento: how long a glide to a new note lasts; 0 for none
    NoteMode noteMode = NoteMode::Poly;
    int polyphony = kNumPlayableVoices;

    // ---- set-up (not on the audio thread) ----
    // Sizes the block buffers for blocks of up to maxSamplesPerBlock host samples.
    bool allocateBuffers(int maxSamplesPerBlock);
    // Shared tables, this instance's noise and the rates the stages need.
    void prepare(float hostRate, float internalRate);
    void setRates(float hostRate, float internalRate);
    float hostRate() const { return hostRateF; }
    // Renders with the kernels of one instruction-set target (tests); by default the best the
    // processor has.
    void useKernels(const kernels::KernelSet& set) noexcept;

    // ---- one host block ----
    // Clears internal samples [0, end) of the mix: a block never uses more.
    void clearMix(int end) noexcept;
    void clearAllVoiceBuffers();
    // Starts a block whose sub-blocks write internal samples from `firstIndex` on. A voice that
    // sounded in the previous block stays mixed in this one.
    void beginBlock(int firstIndex) noexcept;
    void noteIntake(const NoteEvent& event, int carryIn, int blockLength) noexcept;
    // Voice bookkeeping, modulation, oscillators, filter and voice amplifier of one sub-block.
    void renderSubBlock(int writeIndex) noexcept;
    // Sums the mixed voices over internal samples [first, end) and applies the output gain.
    void mixVoices(int first, int end) noexcept;
    void decimate(float* left, float* right, int hostSamples) noexcept;

    // ---- voice control from the parameter intake ----
    void resetAllVoices() noexcept;
    int orderedVoiceCount() const;
    // Stops the oldest started voice, fading it out in a fade slot.
    void stopOldestVoice() noexcept;
    bool hasOrderedVoice() const { return voiceOrder[0] != kEmptyOrderEntry; }

    float* mixLeft() { return mixL.data(); }
    float* mixRight() { return mixR.data(); }
    int internalBufferLength() const { return static_cast<int>(mixL.size()); }

    // Read access for tests and diagnostics.
    const VoiceSlot& slot(int index) const { return slots[index]; }
    const PendingNote& pendingNote(int index) const { return pending[index]; }
    int orderEntry(int index) const { return voiceOrder[index]; }
    bool isVoiceActive(int index) const { return voiceActive[index] != 0; }
    float lastStartedPitch() const { return lastNotePitch; }
    const float* voiceBufferLeft(int index) const { return voiceOutL[index].data(); }
    const NoiseBuffers& noiseBuffers() const { return noise; }

private:
    void noteOn(const NoteEvent& event, int countdown) noexcept;
    void noteOff(const NoteEvent& event, int countdown) noexcept;
    void voiceBookkeeping() noexcept;
    void startVoice(int slotIndex, int pendingIndex) noexcept;
    void freeVoice(int slotIndex, bool copyToFade) noexcept;
    void glide(Voice& voice) const noexcept;
    void modulateVoice(int slotIndex) noexcept;
    void silenceUnrenderedVoices(int writeIndex) noexcept;

    VoiceSlot slots[kNumVoiceSlots];
    PendingNote pending[kMaxPendingNotes];
    int voiceOrder[kNumPlayableVoices];
    float lastNotePitch = -1.0f;
    std::uint8_t voiceActive[kNumVoiceSlots] = {};
    std::uint8_t voiceMixed[kNumVoiceSlots] = {};
    int blockFirstIndex = 0;

    AlignedBuffer<float> mixL, mixR;
    AlignedBuffer<float> voiceOutL[kNumVoiceSlots], voiceOutR[kNumVoiceSlots];
    int maxBlock = 0;

    // The sub-block of all active voices between the oscillators and the filter.
    std::unique_ptr<VoiceLanes> voiceLanes = std::make_unique<VoiceLanes>();

    Decimator decimatorL, decimatorR;
    NoiseBuffers noise;
    const WavetableBank* bank = nullptr;
    const LookupTables* lookup = nullptr;
    float hostRateF = 0.0f;
    float internalRateF = 0.0f;
};

} // namespace talvane
