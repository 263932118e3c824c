// A wait-free channel for one producer thread and one consumer thread that only care about the
// newest value: the producer fills its own buffer and swaps it in; the consumer swaps the newest
// one out. Neither side ever waits, locks or allocates, and neither sees a half-written value.
#pragma once

#include <atomic>
#include <cstdint>

namespace talvane {

template <typename T>
class TripleBuffer
{
public:
    TripleBuffer() = default;
    TripleBuffer(const TripleBuffer&) = delete;
    TripleBuffer& operator=(const TripleBuffer&) = delete;

    // Producer: the buffer to fill before the next publish().
    T& writeBuffer() { return buffers[back]; }

    // Producer: makes the filled buffer the newest one.
    void publish()
    {
        back =
            static_cast<std::uint8_t>(middle.exchange(back | kFresh, std::memory_order_acq_rel) & kIndexMask);
    }

    // Consumer: the newest published value, or the last one it saw if nothing new came since.
    // The reference stays valid until the consumer's next call of latest().
    const T& latest()
    {
        if (middle.load(std::memory_order_relaxed) & kFresh)
            front = static_cast<std::uint8_t>(middle.exchange(front, std::memory_order_acq_rel) & kIndexMask);
        return buffers[front];
    }

private:
    static constexpr std::uint8_t kIndexMask = 0x3;
    static constexpr std::uint8_t kFresh = 0x4; // the middle buffer holds a value the consumer has not taken

    T buffers[3] = {};
    std::atomic<std::uint8_t> middle{1};
    std::uint8_t back = 0;  // owned by the producer
    std::uint8_t front = 2; // owned by the consumer
};

} // namespace talvane
