// Musical position at a point in time, from the tempo map of a MIDI file: what a host puts into
// the process context of each block.
#pragma once

#include "tools/render/midiperformance.h"

#include <vector>

namespace talvane::render {

struct MusicalPosition
{
    double beatsPerMinute = 120.0;
    double quarters = 0.0;         // position from the start, in quarter notes
    double barStartQuarters = 0.0; // start of the bar containing it
    int numerator = 4;
    int denominator = 4;
};

// `tempos` as MidiPerformance holds them: in time order, the first at 0 s. Bars are counted from
// each change of time signature, which is where a new bar begins.
MusicalPosition musicalPositionAt(const std::vector<TempoSegment>& tempos, double seconds);

} // namespace talvane::render
