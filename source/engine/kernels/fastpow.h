// The exponent-bit approximation of base^x that the exponential FM uses, on IEEE doubles: the upper
// word of `base`, read as a signed integer, is rescaled by x around the upper word of 1.0 (less a
// small bias), saturated to the int32 range, and becomes the upper word of the result, whose lower
// word is zero.
#pragma once

#include <cstdint>
#include <cstring>

namespace talvane::fastpow {

constexpr double kOneUpperWord = 1072632447.0; // the upper word of 1.0, 1072693248, less a bias
constexpr double kLowestWord = -2147483648.0;
constexpr double kHighestWord = 2147483647.0;

// The formula one value at a time: what the FM kernel computes in every lane. A NaN rescaled word
// saturates to the lowest, as the processor's conversion makes it.
inline double fastPow(double base, double x)
{
    std::uint64_t bits;
    std::memcpy(&bits, &base, sizeof bits);
    const auto upper = static_cast<double>(static_cast<std::int32_t>(bits >> 32));
    double word = x * (upper - kOneUpperWord) + kOneUpperWord;
    word = word > kLowestWord ? word : kLowestWord; // NaN too
    word = word < kHighestWord ? word : kHighestWord;
    bits = static_cast<std::uint64_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(word))) << 32;
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

} // namespace talvane::fastpow
