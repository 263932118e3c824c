// Parameter values posted from any thread for one consumer thread to take later, one slot per
// parameter: only the latest value of a slot is kept, which is all a change without a sample
// position needs. Posting and taking never lock, wait or allocate.
#pragma once

#include "pluginterfaces/base/ftypes.h"

#include <atomic>
#include <memory>

namespace Steinberg {
namespace Vst {

class PendingParameterValues
{
public:
    explicit PendingParameterValues(int32 slotCount)
        : count(slotCount > 0 ? slotCount : 0),
          values(new std::atomic<float>[static_cast<std::size_t>(count)]),
          posted(new std::atomic<bool>[static_cast<std::size_t>(count)])
    {
        for (int32 i = 0; i < count; ++i)
        {
            values[i].store(0.0f, std::memory_order_relaxed);
            posted[i].store(false, std::memory_order_relaxed);
        }
    }
    PendingParameterValues(const PendingParameterValues&) = delete;
    PendingParameterValues& operator=(const PendingParameterValues&) = delete;

    int32 size() const { return count; }

    // Any thread. Slots out of range are ignored.
    void post(int32 slot, float value)
    {
        if (slot < 0 || slot >= count)
            return;
        values[slot].store(value, std::memory_order_relaxed);
        posted[slot].store(true, std::memory_order_release);
    }

    // The consumer: calls take(slot, value) for every slot posted since the last call, in slot
    // order. A post racing with this is seen now or at the next call, never lost.
    template <typename Take>
    void takeAll(Take&& take)
    {
        for (int32 i = 0; i < count; ++i)
            if (posted[i].load(std::memory_order_relaxed) &&
                posted[i].exchange(false, std::memory_order_acquire))
                take(i, values[i].load(std::memory_order_relaxed));
    }

    // Forgets everything posted so far.
    void discard()
    {
        for (int32 i = 0; i < count; ++i)
            posted[i].store(false, std::memory_order_relaxed);
    }

private:
    int32 count;
    std::unique_ptr<std::atomic<float>[]> values;
    std::unique_ptr<std::atomic<bool>[]> posted;
};

} // namespace Vst
} // namespace Steinberg
