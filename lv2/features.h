// The features an LV2 host passes to an instance or a UI.
#pragma once

#include <lv2/core/lv2.h>

#include <cstring>

namespace talvane::lv2 {

// The data of the feature `uri` among the host's null-terminated `features`, or null.
inline void* findFeature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f && *f; ++f)
        if (std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

} // namespace talvane::lv2
