// The watch on the audio thread that tests/processor/audiothread_moduletest.cpp keeps: that file
// replaces the program's operator new and wraps pthread_mutex_lock, and counts the calls made on a
// thread while it is watched.
#pragma once

namespace talvane::testing {

// Counts what the calling thread allocates and locks until endWatch().
void beginWatch();
void endWatch();
// Counted so far, in all watched stretches; reset() starts again from 0.
int watchedAllocations();
int watchedLocks();
void resetWatch();

} // namespace talvane::testing
