// The C runtime's random generator, as the engine uses it.
#pragma once

#include <cstdlib>

namespace talvane {

constexpr unsigned kRandom15Steps = 32768;

// The next value of rand() reduced to 15 bits, 0 .. 32767, whatever the platform's RAND_MAX:
// one step of the generator, taken from its high bits where RAND_MAX is larger (glibc: 2^31 − 1).
inline unsigned random15()
{
    static_assert((static_cast<unsigned long long>(RAND_MAX) + 1) % kRandom15Steps == 0,
                  "RAND_MAX + 1 is a multiple of 2^15");
    constexpr unsigned kDivisor =
        static_cast<unsigned>((static_cast<unsigned long long>(RAND_MAX) + 1) / kRandom15Steps);
    return static_cast<unsigned>(std::rand()) / kDivisor;
}

} // namespace talvane
