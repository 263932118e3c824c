#include "gui/ctextlabel.h"

namespace VSTGUI {

CTextLabel::CTextLabel(const CRect& size, UTF8StringPtr labelText, CBitmap* bitmap, int32_t labelStyle)
    : CParamDisplay(size, bitmap, labelStyle), text(labelText ? labelText : "")
{}

void CTextLabel::setText(UTF8StringPtr newText)
{
    const std::string updated = newText ? newText : "";
    if (updated == text)
        return;
    text = updated;
    setDirty();
}

void CTextLabel::draw(CDrawContext* context)
{
    drawBack(context);
    drawText(context, text.c_str());
    setDirty(false);
}

} // namespace VSTGUI
