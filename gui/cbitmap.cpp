#include "gui/cbitmap.h"

#include "gui/cdrawcontext.h"
#include "gui/resources.h"

namespace VSTGUI {

CBitmap::CBitmap(const CResourceDescription& description)
{
    const EmbeddedResource* resource = findEmbeddedResource(description.getName());
    if (!resource)
        return;
    surface = decodePngImage(resource->data, resource->size);
    if (!surface)
        return;
    width = getImageWidth(surface);
    height = getImageHeight(surface);
}

CBitmap::~CBitmap()
{
    destroyImage(surface);
}

void CBitmap::draw(CDrawContext* context, const CRect& destination, const CPoint& offset, float alpha)
{
    if (!surface || !context)
        return;
    context->drawImage(surface, destination, offset, noAlpha, alpha);
}

} // namespace VSTGUI
