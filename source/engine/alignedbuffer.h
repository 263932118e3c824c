#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <malloc.h>
#endif

namespace talvane {

// A heap array with 16-byte alignment, sized at set-up. Owns its storage; not copyable.
template <typename T>
class AlignedBuffer
{
public:
    static constexpr std::size_t kAlignment = 16;

    AlignedBuffer() = default;
    ~AlignedBuffer() { release(); }
    AlignedBuffer(const AlignedBuffer&) = delete;
    AlignedBuffer& operator=(const AlignedBuffer&) = delete;

    // Replaces the storage with `count` elements of undefined content. Returns false (and holds
    // nothing) when the allocation fails.
    bool allocate(std::size_t count)
    {
        release();
        const std::size_t bytes = (count * sizeof(T) + kAlignment - 1) / kAlignment * kAlignment;
#ifdef _WIN32
        storage = static_cast<T*>(_aligned_malloc(bytes, kAlignment));
#else
        storage = static_cast<T*>(std::aligned_alloc(kAlignment, bytes));
#endif
        length = storage ? count : 0;
        return storage != nullptr;
    }

    void release()
    {
#ifdef _WIN32
        _aligned_free(storage);
#else
        std::free(storage);
#endif
        storage = nullptr;
        length = 0;
    }

    void clear()
    {
        clear(0, length);
    }
    void clear(std::size_t first, std::size_t count)
    {
        std::memset(storage + first, 0, count * sizeof(T));
    }

    T* data()
    {
        return storage;
    }
    const T* data() const
    {
        return storage;
    }
    std::size_t size() const
    {
        return length;
    }
    T& operator[](std::size_t i)
    {
        return storage[i];
    }
    const T& operator[](std::size_t i) const
    {
        return storage[i];
    }

private:
    T* storage = nullptr;
    std::size_t length = 0;
};

} // namespace talvane
