// A bounded queue of plain values from one producer thread to one consumer thread, over JACK's
// lock-free ring buffer: neither side locks or allocates, so the audio thread may be either.
#pragma once

#include <jack/ringbuffer.h>

#include <cstddef>
#include <new>
#include <type_traits>

namespace talvane::standalone {

template <typename T>
class SpscQueue
{
    static_assert(std::is_trivially_copyable_v<T>, "values cross threads as bytes");

public:
    // Room for at least `capacity` values; the memory is taken here, never later.
    explicit SpscQueue(std::size_t capacity) : ring(jack_ringbuffer_create((capacity + 1) * sizeof(T)))
    {
        if (!ring)
            throw std::bad_alloc();
    }
    ~SpscQueue() { jack_ringbuffer_free(ring); }
    SpscQueue(const SpscQueue&) = delete;
    SpscQueue& operator=(const SpscQueue&) = delete;

    // Producer side. False (and nothing written) when the queue is full.
    bool push(const T& value)
    {
        if (jack_ringbuffer_write_space(ring) < sizeof(T))
            return false;
        jack_ringbuffer_write(ring, reinterpret_cast<const char*>(&value), sizeof(T));
        return true;
    }

    // Consumer side. False when the queue is empty.
    bool pop(T& value)
    {
        if (jack_ringbuffer_read_space(ring) < sizeof(T))
            return false;
        jack_ringbuffer_read(ring, reinterpret_cast<char*>(&value), sizeof(T));
        return true;
    }

    // Consumer side: the next value without taking it.
    bool peek(T& value) const
    {
        if (jack_ringbuffer_read_space(ring) < sizeof(T))
            return false;
        jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&value), sizeof(T));
        return true;
    }

private:
    jack_ringbuffer_t* ring;
};

} // namespace talvane::standalone
