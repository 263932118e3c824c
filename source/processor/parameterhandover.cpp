#include "source/processor/parameterhandover.h"

#include <algorithm>
#include <thread>

namespace talvane {

void ParameterHandOver::post(const float* values, int count)
{
    count = std::clamp(count, 0, kNumParams);
    if (count == 0)
        return;
    ++postedGeneration;
    for (int id = 0; id < count; ++id)
    {
        overlayValues[id] = values[id];
        overlayGenerations[id] = postedGeneration;
    }

    // Claim the mailbox. Pending values the audio thread has not taken are merged with, not
    // replaced: a shorter load must not drop the IDs an earlier one set beyond its end.
    std::uint8_t seen = mailboxState.load(std::memory_order_relaxed);
    for (;;)
    {
        if (seen == kReading)
        {
            std::this_thread::yield();
            seen = mailboxState.load(std::memory_order_relaxed);
            continue;
        }
        if (mailboxState.compare_exchange_strong(seen, kWriting, std::memory_order_acquire,
                                                 std::memory_order_relaxed))
            break;
    }
    if (seen == kEmpty)
        mailbox.count = 0;
    std::copy(values, values + count, mailbox.values);
    mailbox.count = std::max(mailbox.count, count);
    mailbox.generation = postedGeneration;
    mailboxState.store(kFull, std::memory_order_release);
}

int ParameterHandOver::take(float (&values)[kNumParams])
{
    std::uint8_t expected = kFull;
    if (!mailboxState.compare_exchange_strong(expected, kReading, std::memory_order_acquire,
                                              std::memory_order_relaxed))
        return 0;
    const int count = mailbox.count;
    std::copy(mailbox.values, mailbox.values + count, values);
    takenGeneration = mailbox.generation;
    mailboxState.store(kEmpty, std::memory_order_release);
    return count;
}

void ParameterHandOver::publish(const float (&values)[kNumParams])
{
    Published& next = published.writeBuffer();
    std::copy(values, values + kNumParams, next.values);
    next.generation = takenGeneration;
    published.publish();
}

void ParameterHandOver::newestValues(float (&values)[kNumParams])
{
    const Published& latest = published.latest();
    // A post newer than what the published values had taken is not in them yet, so its value is
    // the newest; a post already taken may have been overridden by automation since.
    for (int id = 0; id < kNumParams; ++id)
        values[id] = overlayGenerations[id] > latest.generation ? overlayValues[id] : latest.values[id];
}

void ParameterHandOver::reset(const float (&values)[kNumParams])
{
    mailboxState.store(kEmpty, std::memory_order_relaxed);
    mailbox.count = 0;
    takenGeneration = postedGeneration;
    publish(values);
}

} // namespace talvane
