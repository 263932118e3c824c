#include "gui/resources.h"

#include <strings.h>

namespace VSTGUI {

const EmbeddedResource* findEmbeddedResource(const char* name)
{
    if (!name)
        return nullptr;
    for (std::size_t i = 0; i < kNumEmbeddedResources; ++i)
        if (strcasecmp(kEmbeddedResources[i].name, name) == 0)
            return &kEmbeddedResources[i];
    return nullptr;
}

} // namespace VSTGUI
