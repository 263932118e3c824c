// The one kind of failure the render tools report: a message for the user, printed as one line.
#pragma once

#include <stdexcept>
#include <string>

namespace talvane::render {

class RenderError : public std::runtime_error
{
public:
    explicit RenderError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace talvane::render
