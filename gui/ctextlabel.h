// A label: a line of text in a display.
#pragma once

#include "gui/cparamdisplay.h"

#include <string>

namespace VSTGUI {

class CTextLabel : public CParamDisplay
{
public:
    CTextLabel(const CRect& size, UTF8StringPtr text = nullptr, CBitmap* background = nullptr,
               int32_t style = 0);

    void setText(UTF8StringPtr newText);
    UTF8StringPtr getText() const { return text.c_str(); }

    void draw(CDrawContext* context) override;

private:
    std::string text;
};

} // namespace VSTGUI
