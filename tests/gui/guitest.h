// Shared set-up for tests of the GUI layer through its offscreen backend.
#pragma once

#include "gui/platform/offscreenframe.h"
#include "gui/vstgui.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvane::testing {

// Records what controls tell their listener, in order.
class RecordingListener : public VSTGUI::CControlListener
{
public:
    void valueChanged(VSTGUI::CControl* control) override
    {
        log.push_back("value " + std::to_string(control->getValue()));
        values.push_back(control->getValue());
    }
    int32_t controlModifierClicked(VSTGUI::CControl* /*control*/, VSTGUI::CButtonState buttons) override
    {
        log.push_back("modifier " + std::to_string(buttons()));
        return consumeModifierClicks ? 1 : 0;
    }
    void controlBeginEdit(VSTGUI::CControl* /*control*/) override { log.push_back("begin"); }
    void controlEndEdit(VSTGUI::CControl* /*control*/) override { log.push_back("end"); }

    std::vector<std::string> log;
    std::vector<float> values;
    bool consumeModifierClicks = false;
};

// The editor side of a frame: reports a knob mode and records the frame's edit notifications
// into the same log as the listener, so their relative order shows.
class RecordingEditor : public VSTGUI::VSTGUIEditorInterface
{
public:
    explicit RecordingEditor(std::vector<std::string>& sharedLog) : log(sharedLog) {}

    int32_t getKnobMode() const override { return knobMode; }
    bool beginEdit(int32_t index) override
    {
        log.push_back("editor begin " + std::to_string(index));
        return false;
    }
    bool endEdit(int32_t index) override
    {
        log.push_back("editor end " + std::to_string(index));
        return false;
    }

    int32_t knobMode = VSTGUI::kLinearMode;

private:
    std::vector<std::string>& log;
};

constexpr VSTGUI::CRect kTestFrameRect(0, 0, 400, 300);
constexpr VSTGUI::CColor kTestBackground = VSTGUI::MakeCColor(127, 127, 127);

class OffscreenFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new VSTGUI::CFrame(kTestFrameRect, nullptr, &editor);
        frame->setBackgroundColor(kTestBackground);
        screen = VSTGUI::OffscreenFrame::of(frame);
        ASSERT_NE(screen, nullptr);
    }
    void TearDown() override
    {
        if (frame)
            frame->close();
    }

    RecordingListener listener;
    RecordingEditor editor{listener.log};
    VSTGUI::CFrame* frame = nullptr;
    VSTGUI::OffscreenFrame* screen = nullptr;
};

// The pixel of frame `frameIndex` of a vertical strip, composited over an opaque colour, as a
// control showing that frame should leave it on screen.
VSTGUI::CColor expectedStripPixel(VSTGUI::CBitmap& bitmap, int frameHeight, int frameIndex, int x, int y,
                                  const VSTGUI::CColor& under);

// Compares the control's area of the back buffer with frame `frameIndex` of its strip over `under`;
// answers the number of differing pixels.
int countMismatches(const VSTGUI::OffscreenFrame& screen, const VSTGUI::CRect& area, VSTGUI::CBitmap& bitmap,
                    int frameHeight, int frameIndex, const VSTGUI::CColor& under);

} // namespace talvane::testing
