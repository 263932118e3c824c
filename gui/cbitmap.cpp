#include "gui/cbitmap.h"

#include "gui/cdrawcontext.h"
#include "gui/resources.h"

#include <cairo.h>

#include <cstring>

namespace VSTGUI {

namespace {

struct MemoryReader
{
    const unsigned char* data;
    std::size_t size;
    std::size_t position;
};

cairo_status_t readFromMemory(void* closure, unsigned char* buffer, unsigned int length)
{
    auto* reader = static_cast<MemoryReader*>(closure);
    if (length > reader->size - reader->position)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(buffer, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

CBitmap::CBitmap(const CResourceDescription& description)
{
    const EmbeddedResource* resource = findEmbeddedResource(description.getName());
    if (!resource)
        return;
    MemoryReader reader{resource->data, resource->size, 0};
    cairo_surface_t* loaded = cairo_image_surface_create_from_png_stream(readFromMemory, &reader);
    if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(loaded);
        return;
    }
    surface = loaded;
    width = cairo_image_surface_get_width(surface);
    height = cairo_image_surface_get_height(surface);
}

CBitmap::~CBitmap()
{
    if (surface)
        cairo_surface_destroy(surface);
}

void CBitmap::draw(CDrawContext* context, const CRect& destination, const CPoint& offset, float alpha)
{
    if (!surface || !context || destination.isEmpty())
        return;
    cairo_t* cr = context->getCairo();
    cairo_save(cr);
    cairo_rectangle(cr, destination.left, destination.top, destination.getWidth(), destination.getHeight());
    cairo_clip(cr);
    cairo_set_source_surface(cr, surface, destination.left - offset.x, destination.top - offset.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    if (noAlpha)
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    if (alpha >= 1.f)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

} // namespace VSTGUI
