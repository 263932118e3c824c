#include "source/processor/parameterhandover.h"
#include "source/processor/triplebuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

using namespace talvane;

namespace {

using Values = std::array<float, kNumParams>;

struct Block
{
    float values[kNumParams];
    explicit Block(float base = 0.0f)
    {
        for (int id = 0; id < kNumParams; ++id)
            values[id] = base + static_cast<float>(id) / 1024.0f;
    }
};

Values newest(ParameterHandOver& handOver)
{
    float values[kNumParams];
    handOver.newestValues(values);
    Values out;
    std::copy(std::begin(values), std::end(values), out.begin());
    return out;
}

Values asArray(const float (&values)[kNumParams])
{
    Values out;
    std::copy(std::begin(values), std::end(values), out.begin());
    return out;
}

// The audio side as a processor keeps it: values applied from the hand-over, then published.
struct AudioSide
{
    float held[kNumParams];
    float taken[kNumParams];
    explicit AudioSide(const Block& start)
    {
        std::copy(std::begin(start.values), std::end(start.values), held);
    }
    int block(ParameterHandOver& handOver)
    {
        const int count = handOver.take(taken);
        std::copy(taken, taken + count, held);
        handOver.publish(held);
        return count;
    }
};

} // namespace

TEST(TripleBuffer, ConsumerSeesTheNewestPublishedValueWhole)
{
    TripleBuffer<Values> buffer;
    for (int round = 1; round <= 5; ++round)
    {
        buffer.writeBuffer().fill(static_cast<float>(round));
        buffer.publish();
    }
    Values expected;
    expected.fill(5.0f);
    EXPECT_EQ(buffer.latest(), expected);
    EXPECT_EQ(buffer.latest(), expected) << "nothing new: the same value again";
    buffer.writeBuffer().fill(6.0f);
    buffer.publish();
    expected.fill(6.0f);
    EXPECT_EQ(buffer.latest(), expected);
}

TEST(ParameterHandOver, PendingValuesAreTakenOnce)
{
    ParameterHandOver handOver;
    const Block start;
    handOver.reset(start.values);
    AudioSide audio(start);
    EXPECT_EQ(audio.block(handOver), 0);

    const Block loaded(0.5f);
    handOver.post(loaded.values, kNumParams);
    EXPECT_EQ(audio.block(handOver), kNumParams);
    EXPECT_EQ(asArray(audio.held), asArray(loaded.values));
    EXPECT_EQ(audio.block(handOver), 0);
}

TEST(ParameterHandOver, LoadsPostedBeforeTheAudioSideTakesThemAreMerged)
{
    ParameterHandOver handOver;
    const Block start;
    handOver.reset(start.values);
    AudioSide audio(start);

    const Block first(0.25f), second(0.5f);
    handOver.post(first.values, kNumParams);
    handOver.post(second.values, 4); // a load that ended after four values
    EXPECT_EQ(audio.block(handOver), kNumParams);
    Values expected = asArray(first.values);
    std::copy(second.values, second.values + 4, expected.begin());
    EXPECT_EQ(asArray(audio.held), expected);

    // Once taken, the next post starts afresh.
    handOver.post(start.values, 2);
    EXPECT_EQ(audio.block(handOver), 2);
}

TEST(ParameterHandOver, NewestValuesOverlayWhatIsPendingOnWhatWasPublished)
{
    ParameterHandOver handOver;
    const Block start;
    handOver.reset(start.values);
    AudioSide audio(start);
    EXPECT_EQ(newest(handOver), asArray(start.values));

    const Block loaded(0.5f);
    handOver.post(loaded.values, 10);
    Values expected = asArray(start.values);
    std::copy(loaded.values, loaded.values + 10, expected.begin());
    EXPECT_EQ(newest(handOver), expected) << "pending values are already the newest";

    audio.block(handOver);
    EXPECT_EQ(newest(handOver), expected);

    // Automation after the load moved two values on the audio side: the published values win over
    // the load they came after.
    audio.held[3] = 0.875f;
    audio.held[100] = 0.125f;
    audio.block(handOver);
    expected[3] = 0.875f;
    expected[100] = 0.125f;
    EXPECT_EQ(newest(handOver), expected);

    handOver.post(start.values, 5);
    std::copy(start.values, start.values + 5, expected.begin());
    EXPECT_EQ(newest(handOver), expected) << "a newer load overrides the automated value 3";
}

TEST(ParameterHandOver, ResetDropsWhatWasPending)
{
    ParameterHandOver handOver;
    const Block start, loaded(0.5f);
    handOver.reset(start.values);
    handOver.post(loaded.values, kNumParams);
    handOver.reset(start.values);
    AudioSide audio(start);
    EXPECT_EQ(audio.block(handOver), 0);
    EXPECT_EQ(newest(handOver), asArray(start.values));
}

TEST(ParameterHandOver, StateThreadAlwaysSavesWhatItLoadedLastWhileTheAudioThreadRuns)
{
    ParameterHandOver handOver;
    const Block start;
    handOver.reset(start.values);
    AudioSide audio(start);
    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    std::thread audioThread([&] {
        while (running.load(std::memory_order_relaxed))
        {
            audio.block(handOver);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });

    constexpr int kLoads = 4000;
    Values expected = asArray(start.values);
    for (int load = 1; load <= kLoads; ++load)
    {
        const Block values(static_cast<float>(load));
        // Every third load ends early, after a varying number of values.
        const int count = load % 3 == 0 ? load % kNumParams : kNumParams;
        handOver.post(values.values, count);
        std::copy(values.values, values.values + count, expected.begin());
        ASSERT_EQ(newest(handOver), expected) << "load " << load;
    }
    while (blocks.load(std::memory_order_relaxed) < 10)
        std::this_thread::yield();
    running = false;
    audioThread.join();

    audio.block(handOver); // whatever the audio thread had not taken yet
    EXPECT_EQ(asArray(audio.held), expected);
}
