// Resources compiled into the binary (the editor's bitmaps), found by name. The program provides the
// table, generated at build time; names compare without regard to case.
#pragma once

#include <cstddef>

namespace VSTGUI {

struct VectorPicture;

struct EmbeddedResource
{
    const char* name;
    // The PNG picture at 100 %.
    const unsigned char* data;
    std::size_t size;
    // What it was painted from, to paint it at other scales; null for a plain picture.
    const VectorPicture* picture;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const std::size_t kNumEmbeddedResources;

// Null when no resource has that name.
const EmbeddedResource* findEmbeddedResource(const char* name);

} // namespace VSTGUI
