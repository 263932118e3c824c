#include "tools/render/eventschedule.h"

#include <algorithm>
#include <cmath>

namespace talvane::render {

std::int64_t sampleAt(double seconds, double sampleRate)
{
    return static_cast<std::int64_t>(std::llround(seconds * sampleRate));
}

std::vector<TimedEvent> scheduleEvents(const MidiPerformance& performance, double sampleRate)
{
    std::vector<TimedEvent> timed;
    timed.reserve(performance.events.size());
    for (const MidiEvent& event : performance.events)
        timed.push_back({sampleAt(event.seconds, sampleRate), event});
    std::stable_sort(timed.begin(), timed.end(),
                     [](const TimedEvent& a, const TimedEvent& b) { return a.sample < b.sample; });
    return timed;
}

} // namespace talvane::render
