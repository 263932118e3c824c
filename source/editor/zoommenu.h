// The editor's context menu (a right-click on its background): one entry per zoom step, the
// current zoom checked. Its pop-up opens at the pointer and tells the chosen zoom to `onChoice`.
#pragma once

#include "gui/ccontrol.h"

#include <functional>
#include <string>

namespace VSTGUI {
class CFrame;
} // namespace VSTGUI

namespace Steinberg {
namespace Vst {

class ZoomMenu : public VSTGUI::CControlListener
{
public:
    using Choice = std::function<void(int percent)>;

    explicit ZoomMenu(Choice onChoice) : choice(std::move(onChoice)) {}

    // False if the frame cannot show a pop-up now.
    bool open(VSTGUI::CFrame& frame, const VSTGUI::CPoint& where, int currentPercent);
    // The text of the entry for a zoom in percent.
    static std::string entryText(int percent);

    // CControlListener: an entry was chosen.
    void valueChanged(VSTGUI::CControl* control) override;

private:
    Choice choice;
};

} // namespace Vst
} // namespace Steinberg
