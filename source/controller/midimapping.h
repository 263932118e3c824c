// The MIDI controllers the instrument maps onto parameters: the modulation wheel and pitch bend of
// the first channel of the first event bus. The edit controller answers hosts from this table, and
// formats that take MIDI themselves map their controllers through it, so every format maps alike.
#pragma once

#include "source/params/paramids.h"

#include <cstdint>

namespace talvane {

// Controller numbers as the VST 3 MIDI mapping counts them: 0..127 control changes, then the
// pseudo-controllers (129 is the pitch wheel).
constexpr std::int16_t kModWheelController = 1;
constexpr std::int16_t kPitchWheelController = 129;

// The parameter controller `number` of MIDI `channel` (0..15) on event bus `busIndex` drives, if any.
bool midiMappedParameter(std::int32_t busIndex, std::int16_t channel, std::int16_t number, ParamId& id);

} // namespace talvane
