// A kick button drawn without a bitmap: a framed box with a title or an arrow, shaded while it is
// pressed with the pointer over it. It tells its listener as a kick button does.
#pragma once

#include "gui/cbuttons.h"

#include <string>

namespace VSTGUI {

class CFontDesc;

class CTextButton : public CKickButton
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

private:
    void drawIcon(CDrawContext* context) const;

    std::string title;
    Icon icon;
    CFontDesc* font = nullptr;
    CColor textColor = kWhiteCColor;
    CColor faceColor = kGreyCColor;
    CColor pressedFaceColor = kBlackCColor;
    CColor edgeColor = kBlackCColor;
};

} // namespace VSTGUI
