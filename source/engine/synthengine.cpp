#include "source/engine/synthengine.h"

#include "source/engine/lookuptables.h"
#include "source/engine/wavetablebank.h"

#include <algorithm>
#include <iterator>

namespace talvane {

namespace {

// Sub-block index (from the current one, 0) in which a countdown set at intake takes effect.
// A note starts once its countdown is used up; a release begins in the sub-block that uses it up.
int startSubBlock(int countdown)
{
    return countdown > 0 ? (countdown + kSubBlockSamples - 1) / kSubBlockSamples : 0;
}
int releaseSubBlock(int countdown)
{
    return std::max(0, startSubBlock(countdown) - 1);
}

template <typename Note, typename Event>
bool sameNote(const Note& note, const Event& event)
{
    return note.noteId == event.noteId && note.channel == event.channel && note.pitch == event.pitch;
}

} // namespace

SynthEngine::SynthEngine()
{
    std::fill(std::begin(voiceOrder), std::end(voiceOrder), kEmptyOrderEntry);
}

bool SynthEngine::allocateBuffers(int maxSamplesPerBlock)
{
    maxBlock = maxSamplesPerBlock;
    const auto length = static_cast<std::size_t>(kOversampling * (maxSamplesPerBlock + kRenderAheadSamples));
    bool ok = mixL.allocate(length) && mixR.allocate(length);
    for (int s = 0; s < kNumVoiceSlots; ++s)
        ok = ok && voiceOutL[s].allocate(length) && voiceOutR[s].allocate(length);
    return ok;
}

void SynthEngine::prepare(float hostRate, float internalRate)
{
    bank = &WavetableBank::shared();
    lookup = &LookupTables::shared();
    noise.generate();
    setRates(hostRate, internalRate);
}

void SynthEngine::setRates(float hostRate, float internalRate)
{
    hostRateF = hostRate;
    internalRateF = internalRate;
    oscillators.setSources(bank, lookup, &noise, internalRate);
    filter.setSources(lookup, hostRate);
    modulation.setSources(bank, &noise, hostRate);
}

void SynthEngine::useKernels(const kernels::KernelSet& set) noexcept
{
    oscillators.useKernels(set);
    filter.useKernels(set);
    modulation.useKernels(set);
    decimatorL.useKernels(set);
    decimatorR.useKernels(set);
}

void SynthEngine::clearMix(int end) noexcept
{
    mixL.clear(0, static_cast<std::size_t>(end));
    mixR.clear(0, static_cast<std::size_t>(end));
}

void SynthEngine::clearAllVoiceBuffers()
{
    for (int s = 0; s < kNumVoiceSlots; ++s)
    {
        voiceOutL[s].clear();
        voiceOutR[s].clear();
    }
}

void SynthEngine::beginBlock(int firstIndex) noexcept
{
    blockFirstIndex = firstIndex;
    std::copy(std::begin(voiceActive), std::end(voiceActive), voiceMixed);
}

// ---------------------------------------------------------------------------------------------
// Note intake

void SynthEngine::noteIntake(const NoteEvent& event, int carryIn, int blockLength) noexcept
{
    // Offsets outside the block are brought into it.
    const int offset = std::min(std::max(event.sampleOffset, 0), std::max(blockLength - 1, 0));
    const int countdown = std::min(offset + carryIn, blockLength - 1);
    if (event.on)
        noteOn(event, countdown);
    else
        noteOff(event, countdown);
}

void SynthEngine::noteOn(const NoteEvent& event, int countdown) noexcept
{
    if (event.noteId < 0)
    {
        // Without note ids a second note-on for a held key releases it instead.
        bool becomesNoteOff = false;
        for (int s = 0; s < kNumPlayableVoices; ++s)
            if (slots[s].voice.state == VoiceState::Playing && sameNote(slots[s].voice, event))
                becomesNoteOff = true;
        for (PendingNote& note : pending)
            if (note.active && !note.releasePending && sameNote(note, event))
            {
                note.active = false;
                becomesNoteOff = true;
            }
        if (becomesNoteOff)
        {
            noteOff(event, countdown);
            return;
        }
    }
    PendingNote* free = nullptr;
    for (PendingNote& note : pending)
        if (!note.active)
        {
            free = &note;
            break;
        }
    if (!free)
        return; // all pending entries are waiting: the note is dropped
    free->channel = event.channel;
    free->pitch = event.pitch;
    free->tuning = event.tuning;
    free->velocity = event.velocity;
    free->noteId = event.noteId;
    free->startCountdown = countdown;
    free->active = true;
    free->releasePending = false;
    free->releaseCountdown = 0;
}

void SynthEngine::noteOff(const NoteEvent& event, int countdown) noexcept
{
    // In Legato a note ends only when the next note takes its voice, or by panic.
    if (noteMode == NoteMode::Legato)
        return;
    for (PendingNote& note : pending)
    {
        if (!note.active || note.releasePending || !sameNote(note, event))
            continue;
        // A note-off that would release in the very sub-block where the note starts (or earlier)
        // cancels it; a later one is remembered and handed to the voice when it starts.
        if (releaseSubBlock(countdown) <= startSubBlock(note.startCountdown))
        {
            note.active = false;
        }
        else
        {
            note.releasePending = true;
            note.releaseCountdown = countdown;
        }
        break;
    }
    for (int s = 0; s < kNumPlayableVoices; ++s)
    {
        Voice& voice = slots[s].voice;
        if (voice.state == VoiceState::Playing && sameNote(voice, event))
        {
            voice.state = VoiceState::Released;
            voice.releaseCountdown = countdown;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Voice bookkeeping

int SynthEngine::orderedVoiceCount() const
{
    int count = 0;
    for (int entry : voiceOrder)
        if (entry != kEmptyOrderEntry)
            ++count;
    return count;
}

void SynthEngine::stopOldestVoice() noexcept
{
    if (hasOrderedVoice())
        freeVoice(voiceOrder[0], true);
}

void SynthEngine::voiceBookkeeping() noexcept
{
    int count = orderedVoiceCount();
    for (int j = 0; j < kMaxPendingNotes; ++j)
    {
        PendingNote& note = pending[j];
        if (!note.active)
            continue;
        if (note.startCountdown > 0)
        {
            note.startCountdown -= kSubBlockSamples;
            continue;
        }
        note.active = false;
        if (noteMode != NoteMode::Poly && count > 0)
        {
            // Mono and Legato: the sounding note always lives in slot 0; the rest wait.
            freeVoice(voiceOrder[0], true);
            voiceOrder[0] = 0;
            startVoice(0, j);
            break;
        }
        if (polyphony < count + 1)
        {
            freeVoice(voiceOrder[0], true); // steal the oldest
            --count;
        }
        int freeSlot = -1;
        for (int s = 0; s < kNumPlayableVoices && freeSlot < 0; ++s)
            if (slots[s].voice.state == VoiceState::Free)
                freeSlot = s;
        if (freeSlot >= 0)
        {
            *std::find(std::begin(voiceOrder), std::end(voiceOrder), kEmptyOrderEntry) = freeSlot;
            startVoice(freeSlot, j);
            ++count;
        }
        else
        {
            const int oldest = voiceOrder[0];
            freeVoice(oldest, true);
            voiceOrder[kNumPlayableVoices - 1] = oldest;
            startVoice(oldest, j);
        }
    }
    // Remembered releases of notes still waiting run on with the clock.
    for (PendingNote& note : pending)
        if (note.active && note.releasePending)
            note.releaseCountdown -= kSubBlockSamples;

    for (int s = 0; s < kNumVoiceSlots; ++s)
    {
        Voice& voice = slots[s].voice;
        voiceActive[s] = voice.state != VoiceState::Free;
        if (voice.state != VoiceState::Released)
            continue;
        if (voice.releaseCountdown > 0)
            voice.releaseCountdown -= kSubBlockSamples;
        if (voice.releaseCountdown <= 0 && !voice.releaseStarted)
        {
            voice.releaseStarted = true;
            for (EnvelopeState& env : slots[s].mod.env)
                env.startRelease();
        }
    }
}

void SynthEngine::startVoice(int slotIndex, int pendingIndex) noexcept
{
    VoiceSlot& slot = slots[slotIndex];
    Voice& voice = slot.voice;
    const PendingNote& note = pending[pendingIndex];
    voice.state = note.releasePending ? VoiceState::Released : VoiceState::Playing;
    voice.channel = note.channel;
    voice.pitch = note.pitch;
    voice.tuning = note.tuning;
    voice.velocity = note.velocity;
    voice.noteId = note.noteId;
    voice.targetPitch = static_cast<float>(note.pitch) + note.tuning * 0.01f;
    voice.releaseCountdown = note.releasePending ? note.releaseCountdown : note.startCountdown;

    // The glide source is the last started note, in every note mode.
    if (lastNotePitch >= 0.0f && glideSeconds != 0.0f)
    {
        voice.glideStart = voice.currentPitch = lastNotePitch;
        voice.glideProgress = 0.0f;
    }
    else
    {
        voice.glideStart = voice.currentPitch = voice.targetPitch;
        voice.glideProgress = 1.0f;
    }
    lastNotePitch = voice.targetPitch;

    oscillators.startVoice(slot.osc, slot.mod.bus);
    slot.filter.start(voice.targetPitch, filter.settings.referenceKey);
    for (EnvelopeState& env : slot.mod.env)
        env.start();
    voice.releaseStarted = false;
    modulation.startLfos(slot.mod);
}

void SynthEngine::freeVoice(int slotIndex, bool copyToFade) noexcept
{
    VoiceSlot& slot = slots[slotIndex];
    if (copyToFade)
    {
        for (int f = kFirstFadeSlot; f < kNumVoiceSlots; ++f)
        {
            if (slots[f].voice.state == VoiceState::Fading)
                continue;
            VoiceSlot& fade = slots[f];
            fade = slot;
            fade.voice.state = VoiceState::Fading;
            fade.voice.releaseCountdown = 0;
            fade.mod.env[kAmpEnv].startFade();
            break;
        }
        // With all fade slots busy the stolen voice is simply cut.
    }
    slot.voice.state = VoiceState::Free;
    int* end = std::remove(std::begin(voiceOrder), std::end(voiceOrder), slotIndex);
    std::fill(end, std::end(voiceOrder), kEmptyOrderEntry);
}

void SynthEngine::resetAllVoices() noexcept
{
    const auto length = static_cast<std::size_t>(kOversampling * maxBlock);
    mixL.clear(0, length);
    mixR.clear(0, length);
    for (PendingNote& note : pending)
        note.active = false;
    for (int s = 0; s < kNumVoiceSlots; ++s)
    {
        freeVoice(s, false);
        voiceOutL[s].clear(0, length);
        voiceOutR[s].clear(0, length);
    }
}

void SynthEngine::glide(Voice& voice) const noexcept
{
    if (glideSeconds == 0.0f || voice.glideProgress >= 1.0f)
    {
        voice.currentPitch = voice.targetPitch;
        return;
    }
    voice.currentPitch = voice.glideStart + (voice.targetPitch - voice.glideStart) * voice.glideProgress;
    // Linear in semitones over the glide time, stepped once per sub-block.
    voice.glideProgress += static_cast<float>(kSubBlockSamples) / (hostRateF * glideSeconds);
}

// ---------------------------------------------------------------------------------------------
// Rendering

// A mixed voice's buffer is summed over the whole block, so every sub-block it did not render
// must read as silence there. Clearing just those stretches, instead of every mixed buffer after
// each block, spares the voices that sound throughout the clearing of what they overwrite anyway.
void SynthEngine::silenceUnrenderedVoices(int writeIndex) noexcept
{
    const auto subBlock = static_cast<std::size_t>(kSubBlockInternalSamples);
    for (int s = 0; s < kNumVoiceSlots; ++s)
    {
        if (voiceActive[s] && !voiceMixed[s])
        {
            // Started within the block: silent in the sub-blocks before this one.
            const auto first = static_cast<std::size_t>(blockFirstIndex);
            const auto end = static_cast<std::size_t>(writeIndex);
            voiceOutL[s].clear(first, end - first);
            voiceOutR[s].clear(first, end - first);
            voiceMixed[s] = 1;
        }
        else if (!voiceActive[s] && voiceMixed[s])
        {
            voiceOutL[s].clear(static_cast<std::size_t>(writeIndex), subBlock);
            voiceOutR[s].clear(static_cast<std::size_t>(writeIndex), subBlock);
        }
    }
}

void SynthEngine::renderSubBlock(int writeIndex) noexcept
{
    voiceBookkeeping();
    silenceUnrenderedVoices(writeIndex);
    int active[kNumVoiceSlots];
    int count = 0;
    for (int s = 0; s < kNumVoiceSlots; ++s)
        if (voiceActive[s])
            active[count++] = s;

    modulation.beginSubBlock();
    ModulationVoiceState* modulationStates[kNumVoiceSlots];
    for (int i = 0; i < count; ++i)
        modulationStates[i] = &slots[active[i]].mod;
    modulation.advanceLfos(modulationStates, count);
    for (int i = 0; i < count; ++i)
        modulateVoice(active[i]);

    // The oscillators and the filter run all voices side by side, in lanes; the amplifier then
    // works on each voice's own buffers.
    const ModRouting& routing = modulation.routing;
    OscillatorVoice oscillatorVoices[kNumVoiceSlots];
    FilterVoice filterVoices[kNumVoiceSlots];
    for (int i = 0; i < count; ++i)
    {
        VoiceSlot& slot = slots[active[i]];
        oscillatorVoices[i] = {&slot.osc, slot.voice.currentPitch, &slot.mod.bus};
        filterVoices[i] = {&slot.filter, &slot.mod.bus, slot.mod.env[kFilterEnv].out[0]};
    }
    oscillators.renderVoices(oscillatorVoices, count, routing, *voiceLanes);
    filter.renderVoices(filterVoices, count, *voiceLanes);
    for (int i = 0; i < count; ++i)
    {
        const VoiceSlot& slot = slots[active[i]];
        float* left = voiceOutL[active[i]].data() + writeIndex;
        float* right = voiceOutR[active[i]].data() + writeIndex;
        voiceLanes->store(i, left, right);
        const float* volumeMod =
            routing.modulated[mod_dest::kAmpVolume] ? slot.mod.bus.value[mod_dest::kAmpVolume] : nullptr;
        applyVoiceAmp(slot.mod.env[kAmpEnv].out, volumeMod, left, right);
    }
}

void SynthEngine::modulateVoice(int slotIndex) noexcept
{
    VoiceSlot& slot = slots[slotIndex];
    const EnvelopeEnd ampEnd = modulation.run(slot.mod, slot.voice.velocity);
    // A finished voice still renders this sub-block; it is inactive from the next one.
    if (ampEnd == EnvelopeEnd::ReleaseFinished && slotIndex < kFirstFadeSlot)
        freeVoice(slotIndex, false);
    else if (ampEnd == EnvelopeEnd::FadeFinished)
        slot.voice.state = VoiceState::Free;
    glide(slot.voice);
}

void SynthEngine::mixVoices(int first, int end) noexcept
{
    float* left = mixL.data();
    float* right = mixR.data();
    for (int s = 0; s < kNumVoiceSlots; ++s)
    {
        if (!voiceMixed[s])
            continue;
        const float* voiceLeft = voiceOutL[s].data();
        const float* voiceRight = voiceOutR[s].data();
        for (int i = first; i < end; ++i)
        {
            left[i] += voiceLeft[i];
            right[i] += voiceRight[i];
        }
    }
    for (int i = first; i < end; ++i)
    {
        left[i] *= outputGain;
        right[i] *= outputGain;
    }
}

void SynthEngine::decimate(float* left, float* right, int hostSamples) noexcept
{
    decimatorL.process(mixL.data(), left, hostSamples);
    decimatorR.process(mixR.data(), right, hostSamples);
}

} // namespace talvane
