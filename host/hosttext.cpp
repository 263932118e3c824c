#include "host/hosttext.h"

#include "pluginterfaces/base/ustring.h"

#include <algorithm>
#include <cctype>

namespace talvane::host {

std::string narrow(const Steinberg::Vst::String128 text)
{
    char buffer[128];
    Steinberg::UString(const_cast<Steinberg::char16*>(text), 128).toAscii(buffer, sizeof(buffer));
    return buffer;
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace talvane::host
