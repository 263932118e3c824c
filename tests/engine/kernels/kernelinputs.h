// Random inputs for the kernel tests, mixed with the values that trip vector code up: NaN of both
// signs, infinities, signed zeros, denormals, values too large for an integer conversion, and the
// edges of the ranges the kernels branch on. And a comparison that demands the same bits (any NaN
// matches any NaN: its payload is not part of the sound).
#pragma once

#include "source/engine/kernels/lanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace talvane::testing {

class KernelInputs
{
public:
    explicit KernelInputs(unsigned seed) : rng(seed) {}

    // Uniform in [low, high) most of the time, otherwise one of the awkward values.
    float any(float low, float high)
    {
        if (pick(5) != 0)
            return uniform(low, high);
        return awkward();
    }
    float uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(rng); }
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(rng); }
    bool coin() { return pick(2) == 0; }

    float awkward()
    {
        constexpr float kInf = std::numeric_limits<float>::infinity();
        const float values[] = {
            std::numeric_limits<float>::quiet_NaN(),
            -std::numeric_limits<float>::quiet_NaN(),
            kInf,
            -kInf,
            0.0f,
            -0.0f,
            std::numeric_limits<float>::denorm_min(),
            -1.0e-40f,
            3.0e-39f,
            1.0e30f,
            -1.0e30f,
            std::numeric_limits<float>::max(),
            2147483648.0f,
            -2147483904.0f,
            1.0f,
            std::nextafter(1.0f, 2.0f),
            0.5f,
            -1.0f,
            2.0f,
        };
        return values[pick(static_cast<int>(sizeof values / sizeof values[0]))];
    }

    // Fills `count` floats.
    template <class Gen>
    void fill(float* values, int count, Gen gen)
    {
        for (int i = 0; i < count; ++i)
            values[i] = gen();
    }

private:
    std::mt19937 rng;
};

// A value the kernels never write, to see that lanes beyond those asked for stay untouched.
constexpr float kUntouched = -12345.625f;

inline bool sameValue(float a, float b)
{
    if (std::isnan(a) && std::isnan(b))
        return true;
    std::uint32_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

// Expects expected[i] and actual[i] to be the same values for i in [0, count); reports the first
// few differences with `what`.
inline void expectSameValues(const float* expected, const float* actual, int count, const std::string& what)
{
    int reported = 0;
    for (int i = 0; i < count && reported < 4; ++i)
        if (!sameValue(expected[i], actual[i]))
        {
            ADD_FAILURE() << what << " [" << i << "]: expected " << expected[i] << ", got " << actual[i];
            ++reported;
        }
}

// Both lane rows of a block: lanes [0, lanes) as the reference has them, lanes beyond untouched.
inline void expectSameLanes(const float* expected, const float* actual, int rows, int stride, int lanes,
                            const std::string& what)
{
    for (int r = 0; r < rows; ++r)
    {
        expectSameValues(expected + r * stride, actual + r * stride, lanes,
                         what + " row " + std::to_string(r));
        for (int v = lanes; v < stride; ++v)
            if (!sameValue(actual[r * stride + v], expected[r * stride + v]))
            {
                ADD_FAILURE() << what << " row " << r << ": lane " << v << " beyond the " << lanes
                              << " asked for was written";
                break;
            }
    }
}

} // namespace talvane::testing
