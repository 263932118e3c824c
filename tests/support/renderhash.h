// A fingerprint of a stereo render: FNV-1a over the bytes of every sample, left channel first.
// Any change of any bit of any sample changes it.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace talvane::testing {

inline std::uint64_t fnv1a(const std::vector<float>& a, const std::vector<float>& b)
{
    std::uint64_t h = 1469598103934665603ull;
    for (const std::vector<float>* v : {&a, &b})
        for (float x : *v)
        {
            std::uint32_t bits;
            std::memcpy(&bits, &x, sizeof bits);
            for (int i = 0; i < 4; ++i)
            {
                h ^= (bits >> (8 * i)) & 0xFF;
                h *= 1099511628211ull;
            }
        }
    return h;
}

} // namespace talvane::testing
