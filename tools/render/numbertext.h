// Numbers the renderer reads from text it is given: command-line options and parameter settings.
#pragma once

#include <optional>
#include <string>

namespace talvane::render {

// A finite decimal number that is the whole text (strtod's leading blanks aside), or nothing.
std::optional<double> parseReal(const std::string& text);

} // namespace talvane::render
