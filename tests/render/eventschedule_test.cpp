#include "tools/render/eventschedule.h"

#include <gtest/gtest.h>

using namespace talvane::render;

namespace {

MidiPerformance notesAt(std::initializer_list<double> seconds)
{
    MidiPerformance p;
    int key = 40;
    for (double t : seconds)
    {
        MidiEvent e;
        e.seconds = t;
        e.key = key++;
        p.events.push_back(e);
    }
    return p;
}

} // namespace

TEST(EventSchedule, TimesFallOnTheNearestSample)
{
    // 12.5 ms steps are 400 samples at 32 kHz, however the seconds were rounded on the way.
    for (int k = 0; k < 1000; ++k)
        ASSERT_EQ(sampleAt(k * 0.0125, 32000.0), 400 * k) << k;
    EXPECT_EQ(sampleAt(1.0 / 44100.0 * 0.49, 44100.0), 0);
    EXPECT_EQ(sampleAt(1.0 / 44100.0 * 0.51, 44100.0), 1);
}

TEST(EventSchedule, EveryEventReachesItsBlockOnceAtItsOffset)
{
    const MidiPerformance p = notesAt({0.0, 0.001, 0.001, 0.0104, 0.0116, 0.2, 0.2, 1.0});
    const std::vector<TimedEvent> timed = scheduleEvents(p, 1000.0);
    for (int block : {1, 3, 7, 100, 512, 4096})
    {
        BlockCursor cursor(timed);
        std::vector<std::int64_t> delivered;
        std::vector<int> keys;
        for (std::int64_t start = 0; start < 1100; start += block)
            cursor.forEachIn(start, block, [&](const MidiEvent& e, std::int32_t offset) {
                ASSERT_GE(offset, 0);
                ASSERT_LT(offset, block);
                delivered.push_back(start + offset);
                keys.push_back(e.key);
            });
        EXPECT_TRUE(cursor.done());
        EXPECT_EQ(delivered, (std::vector<std::int64_t>{0, 1, 1, 10, 12, 200, 200, 1000}))
            << "block " << block;
        // Events of one sample keep the order of the file.
        EXPECT_EQ(keys, (std::vector<int>{40, 41, 42, 43, 44, 45, 46, 47})) << "block " << block;
    }
}
