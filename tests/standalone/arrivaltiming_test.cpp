// MIDI stamped on arrival (the ALSA sequencer's) placed in the next audio buffer.
#include "tools/standalone/arrivaltiming.h"

#include <gtest/gtest.h>

namespace talvane::standalone {
namespace {

using namespace std::chrono;

TEST(ArrivalOffset, KeepsTheDistanceFromThePreviousCallbackWithinTheBuffer)
{
    const steady_clock::time_point callback{seconds(100)};
    // 48 kHz: a millisecond is 48 frames.
    EXPECT_EQ(arrivalOffset(callback, callback, 48000.0, 256), 0);
    EXPECT_EQ(arrivalOffset(callback + milliseconds(1), callback, 48000.0, 256), 48);
    EXPECT_EQ(arrivalOffset(callback + microseconds(2500), callback, 48000.0, 256), 120);
    EXPECT_EQ(arrivalOffset(callback + microseconds(2500), callback, 44100.0, 256), 110); // 110.25
    // A late callback: what came after a buffer's length goes on its last frame, never beyond.
    EXPECT_EQ(arrivalOffset(callback + milliseconds(9), callback, 48000.0, 256), 255);
    // A message stamped before the previous callback (its thread ran late) goes on the first frame.
    EXPECT_EQ(arrivalOffset(callback - milliseconds(1), callback, 48000.0, 256), 0);
}

} // namespace
} // namespace talvane::standalone
