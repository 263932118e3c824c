// Turns one parameter value into the engine's own quantities, once, when it takes effect.
#pragma once

#include "source/params/paramids.h"

namespace talvane {

class SynthEngine;

// Shapes a routing slot's amount for its destination: bipolar, cubed for pitch and cutoff.
float shapeSlotAmount(float amount, int destination);

// Applies `value` (normalized, already stored in paramValues[id]) to the engine. paramValues is
// read for the quantities that combine several parameters (pitch bend, reference key, the
// amount of a slot whose destination changes). IDs of kNumParams and above are ignored.
void applyParameterToEngine(SynthEngine& engine, const float* paramValues, ParamId id, float value);

} // namespace talvane
