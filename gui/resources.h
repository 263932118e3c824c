// Resources compiled into the binary (the editor's bitmaps), found by name. The program provides the
// table, generated at build time; names compare without regard to case.
#pragma once

#include <cstddef>

namespace VSTGUI {

struct EmbeddedResource
{
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const std::size_t kNumEmbeddedResources;

// Null when no resource has that name.
const EmbeddedResource* findEmbeddedResource(const char* name);

} // namespace VSTGUI
