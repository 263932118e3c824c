// Which parameter each MIDI controller drives, as the edit controller's IMidiMapping answers:
// asked once for every channel and controller number when made, so that looking up costs no call
// into the plug-in and no allocation (the live player looks up on its audio thread).
#pragma once

#include "tools/render/midiperformance.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <array>
#include <optional>

namespace talvane::render {

constexpr int kMidiChannels = 16;
// The 128 MIDI controllers, channel pressure and pitch bend.
constexpr int kMappedControllers = kPitchBendController + 1;

class MidiControllerMap
{
public:
    explicit MidiControllerMap(Steinberg::Vst::IEditController& controller);

    // Empty for a controller the plug-in maps to no parameter, and for numbers out of range.
    std::optional<Steinberg::Vst::ParamID> parameterFor(int channel, int number) const
    {
        if (channel < 0 || channel >= kMidiChannels || number < 0 || number >= kMappedControllers)
            return std::nullopt;
        return table[static_cast<std::size_t>(channel)][static_cast<std::size_t>(number)];
    }

private:
    std::array<std::array<std::optional<Steinberg::Vst::ParamID>, kMappedControllers>, kMidiChannels> table{};
};

} // namespace talvane::render
