// The instrument's factory sounds, each a list of parameter settings by title over the default
// patch. talvane-make-presets turns them into saved states; the tests check the saved files
// against them and render every one.
#pragma once

#include <string>
#include <vector>

namespace talvane::presets {

struct FactoryPreset
{
    std::string name;                  // also the file name, with kPresetExtension
    std::string description;           // one line: what it sounds like and what moves in it
    std::vector<std::string> settings; // NAME=VALUE, as talvane-render's --param takes them
};

constexpr const char kPresetExtension[] = ".talvane";

const std::vector<FactoryPreset>& factoryPresets();

} // namespace talvane::presets
