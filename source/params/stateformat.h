// The saved state of the instrument: a version header and one 4-byte little-endian item per
// parameter, 600 bytes in all. Discrete parameters are stored as their plain int32 value,
// continuous ones as their normalized float32 value. The processor writes it; the processor and the
// controller read it with the same reader.
#pragma once

#include "source/params/paramids.h"

#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <type_traits>

namespace talvane {

struct StateVersion
{
    std::int32_t major;
    std::int32_t minor;
    std::int32_t patch;
};

// The version every state is written with.
constexpr StateVersion kStateVersion{0, 87, 0};

constexpr int kStateItemBytes = 4;
constexpr int kStateHeaderItems = 3;
constexpr int kStateBytes = (kStateHeaderItems + kNumParams) * kStateItemBytes;

// What a reader does with a value that is not within 0..1.
enum class OutOfRangeValue
{
    EndLoad, // answer kResultFalse at once; the values before it have been passed on
    Skip,    // leave that parameter alone and go on reading
};

// Writes the header and the 147 values in ID order. kInvalidArgument for a null stream;
// kResultFalse for a value that has no encoding (outside 0..1, not a number) or a write the stream
// does not complete; the items written before stay in the stream.
Steinberg::tresult writeState(Steinberg::IBStream* stream, const float (&values)[kNumParams]);

using AcceptStateValue = void (*)(void* target, ParamId id, float normalized);

// Reads a state and passes each accepted value on, in ascending ID order. kInvalidArgument for a
// null stream; kResultFalse when a read fails or delivers fewer bytes than asked (values passed on
// so far stay passed on), or at a value out of range under OutOfRangeValue::EndLoad.
Steinberg::tresult readStateItems(Steinberg::IBStream* stream, OutOfRangeValue policy,
                                  AcceptStateValue accept, void* target);

// readStateItems with any callable taking (ParamId, float).
template <typename Accept>
Steinberg::tresult readState(Steinberg::IBStream* stream, OutOfRangeValue policy, Accept&& accept)
{
    using Target = std::remove_reference_t<Accept>;
    return readStateItems(
        stream, policy,
        [](void* target, ParamId id, float normalized) { (*static_cast<Target*>(target))(id, normalized); },
        const_cast<void*>(static_cast<const void*>(&accept)));
}

} // namespace talvane
