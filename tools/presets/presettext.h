// The factory sounds as the render tools take them: each setting as a NAME=VALUE text, which
// talvane-render's --param and the plug-in's parameter titles resolve. The committed states in
// presets/ are made this way, through the built plug-in, independently of the in-code values that
// the plug-in's programs and preset files use.
#pragma once

#include "source/presets/factorysounds.h"

#include <string>
#include <vector>

namespace talvane::presets {

// The committed states' extension: presets/<name>.talvane.
constexpr const char kStateFileExtension[] = ".talvane";

std::vector<std::string> settingsAsText(const FactorySound& sound);

} // namespace talvane::presets
