// The texts that show a parameter's normalized value in the engine's own terms (milliseconds,
// hertz, percent, degrees, left/right), for hosts and for the editor's captions.
#pragma once

#include "source/params/paramids.h"

#include "pluginterfaces/base/ftypes.h"

#include <cstddef>

namespace talvane {

// Units of the host's value string, terminator included.
constexpr std::size_t kValueTextCapacity = 128;

// The one character outside ASCII that a value text uses, as its Latin-1 byte.
constexpr char kDegreeSign = '\xB0';

// Writes the text of `normalized` for parameter `id` (< kNumParams) as Latin-1 into `text`: at
// most capacity - 1 characters and a terminator. `currentValues` are the parameters' present
// normalized values; an LFO frequency reads its LFO's sync switch there. Values outside 0..1 are
// shown as the nearest end of the range, NaN as 0.
void formatValueText(ParamId id, double normalized, const float (&currentValues)[kNumParams], char* text,
                     std::size_t capacity);

// Reads a value text back into a normalized value: the number the parameter's text shows, with or
// without its unit ("50 %", "2.0 s" or "2000 ms", "1 kHz", "L 30 %", "90 °"), a list entry's name, or
// a sync division's name while the LFO is synced. A number beyond the range gives the nearest end.
// Where the text rounds down ("640 Hz"), a number that would read back lower is taken as the middle
// of the values that read as it, so that its text reads back the same. Returns false and leaves
// `normalized` alone for text that is no value of the parameter.
bool parseValueText(ParamId id, const char* text, const float (&currentValues)[kNumParams],
                    double& normalized);

// Narrows the SDK's 16-bit units to Latin-1: false if a unit lies outside it or the text does not
// fit `capacity` with its terminator.
bool narrowToLatin1(const Steinberg::char16* units, char* text, std::size_t capacity);

// Widens Latin-1 text into the SDK's 16-bit units (char16_t, or wchar_t on Windows): at most capacity - 1
// units, always terminated (when capacity > 0).
void widenLatin1(const char* text, Steinberg::char16* units, std::size_t capacity);

} // namespace talvane
