#include "source/params/stateformat.h"

#include "source/params/paramtable.h"

#include <cmath>
#include <cstring>

namespace talvane {

using Steinberg::IBStream;
using Steinberg::int32;
using Steinberg::kInvalidArgument;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::tresult;

namespace {

// States older than 0.87 held the filter envelope amount as -1..1; it is 0..1 since.
constexpr StateVersion kUnipolarFilterAmountSince{0, 87, 0};

constexpr int kBitsPerByte = 8;
constexpr std::uint32_t kByteMask = 0xFF;

// Each item is sent as one 4-byte call and counts only if the stream moved all 4 bytes: a stream
// that answers success but delivers less has ended, and its missing bytes must never become values.
bool writeItem(IBStream* stream, std::uint32_t bits)
{
    std::uint8_t bytes[kStateItemBytes];
    for (int i = 0; i < kStateItemBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>((bits >> (kBitsPerByte * i)) & kByteMask);
    int32 written = 0;
    return stream->write(bytes, kStateItemBytes, &written) == kResultOk && written == kStateItemBytes;
}

bool readItem(IBStream* stream, std::uint32_t& bits)
{
    std::uint8_t bytes[kStateItemBytes] = {};
    int32 delivered = 0;
    if (stream->read(bytes, kStateItemBytes, &delivered) != kResultOk || delivered != kStateItemBytes)
        return false;
    bits = 0;
    for (int i = 0; i < kStateItemBytes; ++i)
        bits |= static_cast<std::uint32_t>(bytes[i]) << (kBitsPerByte * i);
    return true;
}

bool writeInt(IBStream* stream, std::int32_t value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return writeItem(stream, bits);
}

bool writeFloat(IBStream* stream, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return writeItem(stream, bits);
}

bool readInt(IBStream* stream, std::int32_t& value)
{
    std::uint32_t bits;
    if (!readItem(stream, bits))
        return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool readFloat(IBStream* stream, float& value)
{
    std::uint32_t bits;
    if (!readItem(stream, bits))
        return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool isNormalized(float value)
{
    return value >= 0.0f && value <= 1.0f; // false for NaN
}

// The plain value a discrete parameter is saved as: the top of the range is limited, values below
// it have no encoding.
bool plainForState(ParamId id, float normalized, std::int32_t& plain)
{
    // Far-negative values are refused before conversion, where their plain value could leave the
    // int range; every one of them lies below the range anyway.
    if (std::isnan(normalized) || normalized < -1.0f)
        return false;
    plain = indexFromNormalized(id, normalized);
    return plain >= paramRecord(id).minValue;
}

bool storesFilterAmountBipolar(const StateVersion& version)
{
    return version.major == kUnipolarFilterAmountSince.major &&
           version.minor < kUnipolarFilterAmountSince.minor;
}

} // namespace

tresult writeState(IBStream* stream, const float (&values)[kNumParams])
{
    if (!stream)
        return kInvalidArgument;
    if (!writeInt(stream, kStateVersion.major) || !writeInt(stream, kStateVersion.minor) ||
        !writeInt(stream, kStateVersion.patch))
        return kResultFalse;
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        const float value = values[id];
        bool written;
        if (isDiscrete(id))
        {
            std::int32_t plain;
            if (!plainForState(id, value, plain))
                return kResultFalse;
            written = writeInt(stream, plain);
        }
        else
        {
            if (!isNormalized(value))
                return kResultFalse;
            written = writeFloat(stream, value);
        }
        if (!written)
            return kResultFalse;
    }
    return kResultOk;
}

tresult readStateItems(IBStream* stream, OutOfRangeValue policy, AcceptStateValue accept, void* target)
{
    if (!stream)
        return kInvalidArgument;
    StateVersion version{};
    if (!readInt(stream, version.major) || !readInt(stream, version.minor) || !readInt(stream, version.patch))
        return kResultFalse;
    const bool bipolarFilterAmount = storesFilterAmountBipolar(version);

    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        float value;
        if (isDiscrete(id))
        {
            std::int32_t plain;
            if (!readInt(stream, plain))
                return kResultFalse;
            value = normalizedFromIndex(id, plain);
        }
        else if (!readFloat(stream, value))
        {
            return kResultFalse;
        }

        if (bipolarFilterAmount && id == kFAmount)
            value = (value + 1.0f) * 0.5f;

        if (!isNormalized(value))
        {
            if (policy == OutOfRangeValue::EndLoad)
                return kResultFalse;
            continue;
        }
        accept(target, id, value);
    }
    return kResultOk;
}

} // namespace talvane
