// Where a MIDI message that came between two audio callbacks goes in the next buffer: as far from
// its start as the message came after the previous callback. Every message is then heard one buffer
// after it came, and the time between messages is kept (to the frame) instead of all of them
// sounding at the buffer's start.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace talvane::standalone {

inline std::int32_t arrivalOffset(std::chrono::steady_clock::time_point arrival,
                                  std::chrono::steady_clock::time_point previousCallback, double sampleRate,
                                  std::int32_t frames)
{
    const double after = std::chrono::duration<double>(arrival - previousCallback).count();
    const long offset = std::lround(after * sampleRate);
    return static_cast<std::int32_t>(std::clamp(offset, 0L, static_cast<long>(std::max(frames, 1) - 1)));
}

} // namespace talvane::standalone
