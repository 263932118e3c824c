// Watches the calling thread for allocations and mutex locks, as the audio thread must make none.
// audiothreadwatch.cpp replaces the program's global operator new and delete and wraps
// pthread_mutex_lock; plug-in modules loaded into the program bind to those, so their calls are
// counted too. A test program links that file once (and exports its symbols to the modules).
#pragma once

namespace talvane::testing {

// Counting starts and stops for the calling thread.
void startWatching();
void stopWatching();

// The counts since the last call, which resets them.
int takeAllocationCount();
int takeLockCount();

// One allocation and its release, which a watch must count: the proof that it sees this program's
// allocations at all.
void allocateOnce();

// Runs `work` with the watch on.
template <typename Work>
auto watched(Work&& work)
{
    startWatching();
    struct Stop
    {
        ~Stop() { stopWatching(); }
    } stop;
    return work();
}

} // namespace talvane::testing
