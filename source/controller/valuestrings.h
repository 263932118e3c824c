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

// Widens Latin-1 text into the SDK's 16-bit units (char16_t, or wchar_t on Windows): at most capacity - 1 units, always terminated (when
// capacity > 0).
void widenLatin1(const char* text, Steinberg::char16* units, std::size_t capacity);

} // namespace talvane
