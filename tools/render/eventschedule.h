// MIDI events placed on the sample timeline, and handed out block by block with their offsets
// inside the block, as a host delivers them to process().
#pragma once

#include "tools/render/midiperformance.h"

#include <cstdint>
#include <vector>

namespace talvane::render {

struct TimedEvent
{
    std::int64_t sample = 0; // from the start of the render
    MidiEvent event;
};

// The sample a time falls on: the nearest one, so that times on a sample stay on it despite
// rounding in the tempo map.
std::int64_t sampleAt(double seconds, double sampleRate);

// The performance's events on the timeline of `sampleRate`, in time order (file order within one
// sample).
std::vector<TimedEvent> scheduleEvents(const MidiPerformance& performance, double sampleRate);

// Walks a time-ordered event list through consecutive blocks.
class BlockCursor
{
public:
    explicit BlockCursor(const std::vector<TimedEvent>& eventsIn) : events(eventsIn) {}

    // Calls visit(event, offset) for every event in [blockStart, blockStart + length), in order.
    // Blocks must follow each other; events before the first block are delivered at offset 0.
    template <typename Visit>
    void forEachIn(std::int64_t blockStart, std::int32_t length, Visit visit)
    {
        const std::int64_t blockEnd = blockStart + length;
        for (; next < events.size() && events[next].sample < blockEnd; ++next)
        {
            const std::int64_t offset = events[next].sample - blockStart;
            visit(events[next].event, static_cast<std::int32_t>(offset > 0 ? offset : 0));
        }
    }

    bool done() const { return next >= events.size(); }

private:
    const std::vector<TimedEvent>& events;
    std::size_t next = 0;
};

} // namespace talvane::render
