// The queue between the GUI or MIDI thread and the audio thread.
#include "tools/standalone/spscqueue.h"

#include <gtest/gtest.h>

#include <thread>

namespace talvane::standalone {
namespace {

struct Message
{
    int sequence;
    double value;
};

TEST(SpscQueue, HandsValuesOverInOrderAndRefusesWhenFull)
{
    SpscQueue<Message> queue(3);
    Message out{};
    EXPECT_FALSE(queue.pop(out));
    EXPECT_FALSE(queue.peek(out));
    int pushed = 0;
    while (queue.push({pushed, pushed * 0.5}))
        ++pushed;
    // At least the capacity asked for; the ring rounds its bytes up to a power of two.
    EXPECT_GE(pushed, 3);
    ASSERT_TRUE(queue.peek(out));
    EXPECT_EQ(out.sequence, 0);
    for (int i = 0; i < pushed; ++i)
    {
        ASSERT_TRUE(queue.pop(out));
        EXPECT_EQ(out.sequence, i);
        EXPECT_EQ(out.value, i * 0.5);
    }
    EXPECT_FALSE(queue.pop(out));
    // Room again, across the ring's end.
    for (int round = 0; round < 10; ++round)
    {
        ASSERT_TRUE(queue.push({round, 0.0}));
        ASSERT_TRUE(queue.push({round + 100, 0.0}));
        ASSERT_TRUE(queue.pop(out));
        EXPECT_EQ(out.sequence, round);
        ASSERT_TRUE(queue.pop(out));
        EXPECT_EQ(out.sequence, round + 100);
    }
}

TEST(SpscQueue, ValuesArriveWholeAndInOrderFromAnotherThread)
{
    constexpr int kCount = 200000;
    SpscQueue<Message> queue(64);
    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i)
            while (!queue.push({i, -i * 0.25}))
                std::this_thread::yield();
    });
    int expected = 0;
    bool whole = true;
    while (expected < kCount)
    {
        Message out{};
        if (!queue.pop(out))
        {
            std::this_thread::yield();
            continue;
        }
        whole = whole && out.sequence == expected && out.value == -expected * 0.25;
        ++expected;
    }
    producer.join();
    EXPECT_TRUE(whole);
}

} // namespace
} // namespace talvane::standalone
