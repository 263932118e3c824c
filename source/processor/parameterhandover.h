// Carries parameter values between the thread that loads and saves the host's state and the audio
// thread while the processor is active:
//  - a loaded state goes to the audio thread as pending values (the first `count` IDs), which the
//    audio thread takes at the start of its next block; loads posted before the audio thread came
//    round are merged, the later one winning;
//  - the audio thread publishes its values after every block, and the state thread saves the newest
//    of those, overlaid with whatever it posted that the audio thread has not taken yet.
// The audio thread never waits, locks or allocates. A post may wait while the audio thread copies
// the previous pending values out (at most 147 floats).
//
// Threads: one state thread calls post() and newestValues(); one audio thread calls take() and
// publish(). reset(), and take() from the state thread, only while no audio thread runs.
#pragma once

#include "source/params/paramids.h"
#include "source/processor/triplebuffer.h"

#include <atomic>
#include <cstdint>

namespace talvane {

class ParameterHandOver
{
public:
    ParameterHandOver() = default;
    ParameterHandOver(const ParameterHandOver&) = delete;
    ParameterHandOver& operator=(const ParameterHandOver&) = delete;

    // State thread: values[0 .. count-1] become pending for IDs 0 .. count-1.
    void post(const float* values, int count);
    // State thread: the values the audio side holds once everything posted has been taken.
    void newestValues(float (&values)[kNumParams]);

    // Audio thread: copies the pending values into `values` and answers their count (IDs 0 .. count-1);
    // 0 when nothing is pending. The caller applies them before it publishes again.
    int take(float (&values)[kNumParams]);
    // Audio thread: the values it holds now.
    void publish(const float (&values)[kNumParams]);

    // While no audio thread runs: the audio side holds `values` and nothing is pending.
    void reset(const float (&values)[kNumParams]);

private:
    enum MailboxState : std::uint8_t
    {
        kEmpty,
        kWriting, // the state thread is filling or merging
        kFull,
        kReading, // the audio thread is copying out
    };

    struct Pending
    {
        float values[kNumParams] = {};
        int count = 0;
        std::uint64_t generation = 0;
    };

    struct Published
    {
        float values[kNumParams] = {};
        std::uint64_t generation = 0; // the newest post already taken when these values were published
    };

    std::atomic<std::uint8_t> mailboxState{kEmpty};
    Pending mailbox;

    TripleBuffer<Published> published;

    // State thread: every post gets a new generation; the overlay remembers, per ID, the value and
    // generation of the last post that set it.
    std::uint64_t postedGeneration = 0;
    float overlayValues[kNumParams] = {};
    std::uint64_t overlayGenerations[kNumParams] = {};

    // Audio thread: generation of the newest post taken.
    std::uint64_t takenGeneration = 0;
};

} // namespace talvane
