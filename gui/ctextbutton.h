// A push button drawn without a bitmap: a framed box with a title or an arrow. Pressed with the
// left button and released over it, it tells its listener once (valueChanged, with the value at
// its maximum) and goes back to its minimum; released elsewhere it tells nothing.
#pragma once

#include "gui/ccontrol.h"

#include <string>

namespace VSTGUI {

class CFontDesc;

class CTextButton : public CControl
{
public:
    enum class Icon
    {
        None,
        PreviousArrow, // a chevron pointing left
        NextArrow,     // and right
    };

    CTextButton(const CRect& size, CControlListener* listener, int32_t tag, UTF8StringPtr title,
                Icon icon = Icon::None);
    ~CTextButton() override;

    const std::string& getTitle() const { return title; }
    Icon getIcon() const { return icon; }
    // The button keeps its own reference to the font.
    void setFont(CFontDesc* newFont);
    void setColors(const CColor& text, const CColor& face, const CColor& pressedFace, const CColor& edge);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

private:
    void drawIcon(CDrawContext* context) const;

    std::string title;
    Icon icon;
    CFontDesc* font = nullptr;
    CColor textColor = kWhiteCColor;
    CColor faceColor = kGreyCColor;
    CColor pressedFaceColor = kBlackCColor;
    CColor edgeColor = kBlackCColor;
    bool pressed = false;
};

} // namespace VSTGUI
