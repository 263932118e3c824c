#include "tools/render/tempomap.h"

#include <cmath>

namespace talvane::render {

namespace {
constexpr double kMicrosPerSecond = 1.0e6;
constexpr double kSecondsPerMinute = 60.0;
constexpr double kQuarterDenominator = 4.0;
// A position this close below a bar line belongs to the new bar: it is the line, less the rounding
// of tempos to whole microseconds per quarter.
constexpr double kBarLineTolerance = 1.0e-5;

bool sameSignature(const TempoSegment& a, const TempoSegment& b)
{
    return a.numerator == b.numerator && a.denominator == b.denominator;
}
} // namespace

MusicalPosition musicalPositionAt(const std::vector<TempoSegment>& tempos, double seconds)
{
    MusicalPosition position;
    if (tempos.empty())
    {
        position.quarters = seconds * position.beatsPerMinute / kSecondsPerMinute;
        position.barStartQuarters =
            std::floor(position.quarters / kQuarterDenominator + kBarLineTolerance) * kQuarterDenominator;
        return position;
    }
    size_t current = 0;
    size_t signatureStart = 0;
    for (size_t i = 1; i < tempos.size() && tempos[i].seconds <= seconds; ++i)
    {
        current = i;
        if (!sameSignature(tempos[i], tempos[i - 1]))
            signatureStart = i;
    }
    const TempoSegment& segment = tempos[current];
    position.beatsPerMinute = kSecondsPerMinute * kMicrosPerSecond / segment.microsPerQuarter;
    position.quarters =
        segment.quarters + (seconds - segment.seconds) * kMicrosPerSecond / segment.microsPerQuarter;
    position.numerator = segment.numerator;
    position.denominator = segment.denominator;
    const double barLength = kQuarterDenominator * segment.numerator / segment.denominator;
    const double origin = tempos[signatureStart].quarters;
    const double bars = std::floor((position.quarters - origin) / barLength + kBarLineTolerance);
    position.barStartQuarters = origin + bars * barLength;
    return position;
}

} // namespace talvane::render
