#include "source/controller/midimapping.h"

namespace talvane {

namespace {
constexpr std::int32_t kMappedBus = 0;
constexpr std::int16_t kMappedChannel = 0;
} // namespace

bool midiMappedParameter(std::int32_t busIndex, std::int16_t channel, std::int16_t number, ParamId& id)
{
    if (busIndex != kMappedBus || channel != kMappedChannel)
        return false;
    if (number == kModWheelController)
    {
        id = kModWheel;
        return true;
    }
    if (number == kPitchWheelController)
    {
        id = kPitchBend;
        return true;
    }
    return false;
}

} // namespace talvane
