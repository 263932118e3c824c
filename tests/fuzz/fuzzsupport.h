// What both fuzz targets share: the module loaded once through the host library, the checks of a
// saved state, and a failure that stops the fuzzer with a reason.
#pragma once

#include "host/plugininstance.h"
#include "support/stateimage.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace talvane::fuzz {

[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "talvane fuzz: %s\n", what);
    std::abort();
}

inline host::PluginModule& module()
{
    static host::PluginModule* loaded = [] {
        auto* m = new host::PluginModule();
        const char* overridePath = std::getenv("TALVANE_MODULE");
        if (!m->load(overridePath ? overridePath : TALVANE_MODULE_PATH))
            fail(m->error().c_str());
        return m;
    }();
    return *loaded;
}

// getState must always give one whole, valid state: the header, then every value in its range.
inline void checkSavedState(Steinberg::Vst::IComponent* component)
{
    host::MemoryStream stream;
    if (component->getState(&stream) != Steinberg::kResultOk)
        fail("getState refused");
    testing::StateImage image;
    if (!testing::StateImage::parse(stream.bytes(), image))
        fail("getState did not write 600 bytes");
    if (image.header[0] != 0 || image.header[1] != 87 || image.header[2] != 0)
        fail("getState wrote a wrong version header");
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        const testing::ItemLayout layout = testing::itemLayout(id);
        if (layout.numValues > 0 ? (image.plain(id) < layout.minValue ||
                                    image.plain(id) >= layout.minValue + layout.numValues)
                                 : !(image.floatValue(id) >= 0.0f && image.floatValue(id) <= 1.0f))
            fail("getState wrote a value outside its range");
    }
}

} // namespace talvane::fuzz
