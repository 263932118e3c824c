// Voice slots and pending notes.
#pragma once

#include "source/engine/filter.h"
#include "source/engine/modulation.h"
#include "source/engine/oscillators.h"

#include <cstdint>

namespace talvane {

enum class VoiceState : std::int32_t
{
    Free = 0,
    Playing = 1,
    Released = 2, // note-off received, release countdown running
    Fading = 3,   // a stolen voice fading out in a fade slot
};

enum class NoteMode : int
{
    Poly = 0,
    Mono = 1,
    Legato = 2,
};

// The note a voice plays and its glide.
struct Voice
{
    std::int16_t channel = 0;
    std::int16_t pitch = 0;
    float tuning = 0.0f; // cents
    float velocity = 0.0f;
    std::int32_t noteId = -1;
    float glideStart = 0.0f;
    float targetPitch = 0.0f; // semitones, pitch + tuning / 100
    float currentPitch = 0.0f;
    float glideProgress = 1.0f;
    VoiceState state = VoiceState::Free;
    std::int32_t releaseCountdown = 0; // samples until the release begins
    bool releaseStarted = false;
};

// Everything one voice slot owns; a stolen voice is copied whole into a fade slot.
struct VoiceSlot
{
    Voice voice;
    OscillatorVoiceState osc;
    FilterVoiceState filter;
    ModulationVoiceState mod;
};

// A note-on waiting for the sub-block in which it starts.
struct PendingNote
{
    std::int16_t channel = 0;
    std::int16_t pitch = 0;
    float tuning = 0.0f;
    float velocity = 0.0f;
    std::int32_t noteId = -1;
    std::int32_t startCountdown = 0;
    bool active = false;
    // A note-off that came while the note was still waiting: handed to the voice when it starts,
    // so that short notes still sound and release at their own note-off position.
    bool releasePending = false;
    std::int32_t releaseCountdown = 0;
};

// What the note intake needs to know of a host note event.
struct NoteEvent
{
    bool on = true;
    std::int16_t channel = 0;
    std::int16_t pitch = 0;
    float tuning = 0.0f;
    float velocity = 0.0f;
    std::int32_t noteId = -1;
    std::int32_t sampleOffset = 0;
};

} // namespace talvane
