// The bundle's Turtle: manifest.ttl (what the bundle holds and where), Talvane.ttl (the plug-in
// and its ports, from the parameter ports) and Talvane_ui.ttl (the editor). Written at build time,
// never by hand.
#pragma once

#include <string>

namespace talvane::lv2 {

// Writes the three files into `directory`; false with `error` set if one cannot be written.
bool writeBundleDescription(const std::string& directory, std::string& error);

} // namespace talvane::lv2
