// The ladder filter's stage coefficient over its relative cutoff, shared by the filter and the
// table of its critical loop gain.
#pragma once

namespace talvane {

// Stage coefficient p for a cutoff d relative to half the internal rate; the stages' feedback
// coefficient is 2p - 1. Written for float and double alike so both evaluate the same expression.
template <typename Real>
inline Real ladderTuning(Real d)
{
    return (Real(1.8) - Real(0.8) * d) * d;
}

} // namespace talvane
