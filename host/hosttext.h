// The plug-in's texts as a host's tools print and compare them.
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

#include <string>

namespace talvane::host {

// A title, unit or value text from the plug-in (UTF-16, at most 128 units) as ASCII.
std::string narrow(const Steinberg::Vst::String128 text);

// `text` in lower case, for matching names the way a musician types them.
std::string lowered(std::string text);

} // namespace talvane::host
