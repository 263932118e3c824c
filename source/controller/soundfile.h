// A sound as a VST 3 preset file (.vstpreset), written and read through the SDK's preset-file
// support: the processor's class ID, its 600-byte state, the controller's state (the sound's name)
// and meta-information that hosts show (name, category, plug-in).
#pragma once

#include "source/controller/controllerstate.h"
#include "source/presets/factorysounds.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace talvane {

constexpr const char* kSoundFileExtension = ".vstpreset";

struct SoundFileContents
{
    presets::SoundValues values;
    std::optional<ControllerState> controllerState; // none if the file has no (readable) one
    std::string name;                               // from the meta-information; may be empty
    std::string category;                           // likewise
};

// Empty if the SDK's writer fails.
std::vector<std::uint8_t> encodeSoundFile(const presets::SoundValues& values,
                                          const ControllerState& controllerState,
                                          const std::string& category);

// Refuses (empty) a file of another plug-in, one without a complete processor state of ours, and
// anything damaged: chunks outside the file, a state the processor would not load.
std::optional<SoundFileContents> decodeSoundFile(const std::vector<std::uint8_t>& bytes);

// The meta-information's XML for a sound, and the value of one of its attributes (empty if absent;
// the five named entities are read, other references are left as they stand).
std::string soundMetaInfo(const std::string& name, const std::string& category);
std::string metaInfoAttribute(const std::string& xml, const std::string& id);

} // namespace talvane
