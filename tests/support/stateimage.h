// A saved state as the tests see it: the version header and one raw 32-bit item per parameter,
// encoded and decoded here independently of the plug-in's own reader and writer.
#pragma once

#include "source/params/paramids.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace talvane::testing {

constexpr int kStateItems = 3 + kNumParams;
constexpr std::size_t kStateSize = kStateItems * 4;

// How a parameter is stored: numValues 0 for a float32 normalized value, otherwise an int32 plain
// value in minValue .. minValue + numValues - 1.
struct ItemLayout
{
    int numValues;
    int minValue;
};

inline ItemLayout itemLayout(ParamId id)
{
    static const ParamId kOnOff[] = {6, 15, 19, 24, 26, 30, 35, 37, 41, 46, 63, 70, 71, 85, 86};
    static const ParamId kWaveforms[] = {16, 27, 38, 68, 83};
    static const ParamId kTenValues[] = {65, 125, 136};
    for (ParamId on : kOnOff)
        if (id == on)
            return {2, 0};
    for (ParamId wave : kWaveforms)
        if (id == wave)
            return {14, 0};
    for (ParamId ten : kTenValues)
        if (id == ten)
            return {10, 0};
    switch (id)
    {
    case 57:
        return {3, 0};
    case 98:
    case 112:
        return {4, 0};
    case 9:
        return {5, 0};
    case 20:
    case 31:
    case 42:
        return {7, -3};
    case 66:
        return {12, 0};
    case 58:
        return {16, 1};
    case 21:
    case 32:
    case 43:
        return {25, -12};
    case 61:
    case 62:
        return {37, 0};
    default:
        break;
    }
    // The 24 routing destinations: the even offsets of the four slot pairs of each block.
    const ParamId slotStarts[] = {74, 89, 103, 117, 128, 139};
    for (ParamId start : slotStarts)
        if (id >= start && id < start + 8 && (id - start) % 2 == 0)
            return {84, 0};
    return {0, 0};
}

class StateImage
{
public:
    std::int32_t header[3] = {0, 87, 0};
    std::uint32_t items[kNumParams] = {};

    void setPlain(ParamId id, std::int32_t plain) { std::memcpy(&items[id], &plain, 4); }
    void setFloat(ParamId id, float value) { std::memcpy(&items[id], &value, 4); }
    std::int32_t plain(ParamId id) const
    {
        std::int32_t value;
        std::memcpy(&value, &items[id], 4);
        return value;
    }
    float floatValue(ParamId id) const
    {
        float value;
        std::memcpy(&value, &items[id], 4);
        return value;
    }
    // The normalized value the item stands for, in single precision.
    float normalized(ParamId id) const
    {
        const ItemLayout layout = itemLayout(id);
        if (layout.numValues == 0)
            return floatValue(id);
        return static_cast<float>(plain(id) - layout.minValue) / static_cast<float>(layout.numValues - 1);
    }

    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> out;
        auto put = [&out](std::uint32_t bits) {
            for (int i = 0; i < 4; ++i)
                out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
        };
        for (std::int32_t word : header)
            put(static_cast<std::uint32_t>(word));
        for (std::uint32_t item : items)
            put(item);
        return out;
    }

    // False unless `bytes` is exactly one state long.
    static bool parse(const std::vector<std::uint8_t>& bytes, StateImage& image)
    {
        if (bytes.size() != kStateSize)
            return false;
        auto word = [&bytes](int index) {
            std::uint32_t bits = 0;
            for (int i = 0; i < 4; ++i)
                bits |= static_cast<std::uint32_t>(bytes[static_cast<std::size_t>(4 * index + i)]) << (8 * i);
            return bits;
        };
        for (int i = 0; i < 3; ++i)
            image.header[i] = static_cast<std::int32_t>(word(i));
        for (int id = 0; id < kNumParams; ++id)
            image.items[id] = word(3 + id);
        return true;
    }

    // Every value moved away from this one's: a stepped value to the next plain value (wrapping),
    // a continuous one by a quarter.
    StateImage shifted() const
    {
        StateImage other = *this;
        for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
        {
            const ItemLayout layout = itemLayout(id);
            if (layout.numValues > 0)
                other.setPlain(id, layout.minValue + (plain(id) - layout.minValue + 1) % layout.numValues);
            else
                other.setFloat(id, floatValue(id) < 0.5f ? floatValue(id) + 0.25f : floatValue(id) - 0.25f);
        }
        return other;
    }
};

} // namespace talvane::testing
