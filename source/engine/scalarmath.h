// Small scalar helpers the engine's stages share.
#pragma once

#include <algorithm>

namespace talvane {

// The scalar twins of the kernels' vector clamp01 and clampBipolar (kernels/lanegroups-inl.h), with
// the same operand order: a NaN passes through and -0 stays -0, as there. Values from a host are held
// to 0..1 by clampNormalized (paramcurves.h) instead, which turns NaN (and -0) into 0.
inline float clamp01(float x)
{
    return std::min(std::max(x, 0.0f), 1.0f);
}
inline float clampBipolar(float x)
{
    return std::min(std::max(x, -1.0f), 1.0f);
}

// x less its integer part (truncated toward zero): 0 <= frac(x) < 1 for x >= 0.
inline float frac(float x)
{
    return x - static_cast<float>(static_cast<int>(x));
}

} // namespace talvane
