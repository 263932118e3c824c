#include "tools/render/numbertext.h"

#include <cmath>
#include <cstdlib>

namespace talvane::render {

std::optional<double> parseReal(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace talvane::render
