#include "sdk/vstguieditor.h"

#include "gui/platform/offscreenframe.h"
#include "gui/vstgui.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// A host's plug frame with a run loop whose timers the test fires by hand.
class FakePlugFrame : public IPlugFrame, public Linux::IRunLoop
{
public:
    tresult PLUGIN_API resizeView(IPlugView* /*view*/, ViewRect* newSize) override
    {
        resizes.push_back(*newSize);
        return kResultOk;
    }
    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler*, Linux::FileDescriptor) override
    {
        return kResultOk;
    }
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler*) override { return kResultOk; }
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms) override
    {
        handler->addRef();
        timer = handler;
        interval = ms;
        return kResultOk;
    }
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override
    {
        if (handler == timer)
        {
            timer->release();
            timer = nullptr;
        }
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid))
        {
            *obj = static_cast<IPlugFrame*>(this);
            addRef();
            return kResultOk;
        }
        if (withRunLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
        {
            *obj = static_cast<Linux::IRunLoop*>(this);
            addRef();
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return ++refs; }
    uint32 PLUGIN_API release() override { return --refs; }

    bool withRunLoop = true;
    std::vector<ViewRect> resizes;
    Linux::ITimerHandler* timer = nullptr;
    Linux::TimerInterval interval = 0;
    uint32 refs = 1;
};

class RecordingController : public EditController
{
public:
    void editorAttached(EditorView*) override { log.push_back("attached"); }
    void editorRemoved(EditorView*) override { log.push_back("removed"); }
    std::vector<std::string> log;
};

class CountingView : public VSTGUI::CView
{
public:
    using CView::CView;
    void draw(VSTGUI::CDrawContext*) override { ++draws; }
    int draws = 0;
};

class TestEditor : public VSTGUIEditor
{
public:
    explicit TestEditor(EditController* controller) : VSTGUIEditor(controller) { setEditorSize(320, 200); }

    bool PLUGIN_API open(void* parent) override
    {
        log.push_back("open");
        if (failOpen)
            return false;
        frame = new VSTGUI::CFrame(VSTGUI::CRect(0, 0, 320, 200), parent, this);
        view = new CountingView(VSTGUI::CRect(10, 10, 20, 20));
        frame->addView(view);
        return true;
    }
    void PLUGIN_API close() override
    {
        log.push_back("close");
        frame->close();
        frame = nullptr;
        view = nullptr;
    }

    std::vector<std::string> log;
    CountingView* view = nullptr;
    bool failOpen = false;
};

class VSTGUIEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        editor = new TestEditor(&controller);
        editor->setFrame(&plugFrame);
    }
    void TearDown() override { editor->release(); }

    RecordingController controller;
    FakePlugFrame plugFrame;
    TestEditor* editor = nullptr;
};

TEST_F(VSTGUIEditorTest, AttachingOpensTheFrameResizesTheHostAndStartsTheIdleTimer)
{
    EXPECT_EQ(editor->getIdleRate(), 100);
    editor->setIdleRate(50);
    EXPECT_EQ(editor->isPlatformTypeSupported(VSTGUI::kPlatformTypeOffscreen), kResultTrue);
    EXPECT_EQ(editor->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(editor->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);

    ASSERT_EQ(editor->attached(nullptr, VSTGUI::kPlatformTypeOffscreen), kResultTrue);
    EXPECT_EQ(editor->log, std::vector<std::string>{"open"});
    EXPECT_EQ(controller.log, std::vector<std::string>{"attached"});
    ASSERT_EQ(plugFrame.resizes.size(), 1u);
    EXPECT_EQ(plugFrame.resizes[0].getWidth(), 320);
    EXPECT_EQ(plugFrame.resizes[0].getHeight(), 200);
    ViewRect size;
    editor->getSize(&size);
    EXPECT_EQ(size.getWidth(), 320);
    ASSERT_NE(plugFrame.timer, nullptr);
    EXPECT_EQ(plugFrame.interval, 50u);

    // The timer draws the frame; a changed idle rate takes effect at once.
    plugFrame.timer->onTimer();
    EXPECT_EQ(editor->view->draws, 1);
    editor->setIdleRate(30);
    EXPECT_EQ(plugFrame.interval, 30u);

    EXPECT_EQ(editor->attached(nullptr, VSTGUI::kPlatformTypeOffscreen), kResultFalse);

    EXPECT_EQ(editor->removed(), kResultOk);
    EXPECT_EQ(plugFrame.timer, nullptr);
    EXPECT_EQ(editor->log, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(controller.log, (std::vector<std::string>{"attached", "removed"}));
    EXPECT_EQ(editor->getFrame(), nullptr);
}

TEST_F(VSTGUIEditorTest, SizeRequestsAndFailures)
{
    EXPECT_EQ(editor->canResize(), kResultFalse);
    ViewRect request(0, 0, 2000, 300);
    EXPECT_EQ(editor->checkSizeConstraint(&request), kResultFalse);

    ASSERT_EQ(editor->attached(nullptr, VSTGUI::kPlatformTypeOffscreen), kResultTrue);
    ViewRect bigger(0, 0, 400, 250);
    EXPECT_EQ(editor->onSize(&bigger), kResultTrue);
    EXPECT_EQ(editor->getFrame()->getWidth(), 400);
    editor->onIdleTimer();
    EXPECT_EQ(VSTGUI::OffscreenFrame::of(editor->getFrame())->getPixel(399, 249), VSTGUI::kGreyCColor);
    editor->removed();

    // A failed open is reported, and no timer runs.
    editor->failOpen = true;
    EXPECT_EQ(editor->attached(nullptr, VSTGUI::kPlatformTypeOffscreen), kResultFalse);
    EXPECT_EQ(plugFrame.timer, nullptr);

    // X11 needs a window and the host's run loop.
    editor->failOpen = false;
    plugFrame.withRunLoop = false;
    EXPECT_EQ(editor->attached(reinterpret_cast<void*>(0x1234), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(editor->attached(nullptr, kPlatformTypeHWND), kResultFalse);
}

TEST_F(VSTGUIEditorTest, TheHostsContentScaleAndTheZoomScaleTheViewAndItsFrame)
{
    IPlugViewContentScaleSupport* scaling = nullptr;
    ASSERT_EQ(editor->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling)),
              kResultOk);
    ViewRect size;
    editor->getSize(&size);
    EXPECT_EQ(size.getWidth(), 320);

    // Before the view is attached the host learns the size from getSize alone.
    EXPECT_EQ(scaling->setContentScaleFactor(2.f), kResultTrue);
    editor->getSize(&size);
    EXPECT_EQ(size.getWidth(), 640);
    EXPECT_EQ(size.getHeight(), 400);
    EXPECT_TRUE(plugFrame.resizes.empty());

    ASSERT_EQ(editor->attached(nullptr, VSTGUI::kPlatformTypeOffscreen), kResultTrue);
    ASSERT_EQ(plugFrame.resizes.size(), 1u);
    EXPECT_EQ(plugFrame.resizes[0].getWidth(), 640);
    EXPECT_EQ(editor->getFrame()->getScaleFactor(), 2.0);
    EXPECT_EQ(editor->getFrame()->getViewSize().getWidth(), 320);

    // The zoom multiplies the host's scale; the view asks for the size at once.
    EXPECT_TRUE(editor->setZoomFactor(1.5));
    EXPECT_EQ(editor->getScaleFactor(), 3.0);
    ASSERT_EQ(plugFrame.resizes.size(), 2u);
    EXPECT_EQ(plugFrame.resizes[1].getWidth(), 960);
    EXPECT_EQ(plugFrame.resizes[1].getHeight(), 600);
    EXPECT_EQ(editor->getFrame()->getDeviceSize(), VSTGUI::CPoint(960, 600));
    editor->onIdleTimer();
    EXPECT_EQ(VSTGUI::OffscreenFrame::of(editor->getFrame())->getPixel(959, 599), VSTGUI::kGreyCColor);

    // The host's answer with the same pixels changes nothing; other pixels are a new size, which
    // the frame keeps in its own units through the next change of scale.
    ViewRect answer(0, 0, 960, 600);
    EXPECT_EQ(editor->onSize(&answer), kResultTrue);
    EXPECT_EQ(editor->getFrame()->getViewSize().getWidth(), 320);
    ViewRect wider(0, 0, 1050, 600);
    EXPECT_EQ(editor->onSize(&wider), kResultTrue);
    EXPECT_EQ(editor->getFrame()->getViewSize().getWidth(), 350);
    EXPECT_EQ(scaling->setContentScaleFactor(1.f), kResultTrue);
    EXPECT_EQ(plugFrame.resizes.back().getWidth(), 525);
    EXPECT_EQ(plugFrame.resizes.back().getHeight(), 300);

    // Reopened, the editor has its own size at the scale it is at.
    editor->removed();
    ASSERT_EQ(editor->attached(nullptr, VSTGUI::kPlatformTypeOffscreen), kResultTrue);
    EXPECT_EQ(editor->getFrame()->getDeviceSize(), VSTGUI::CPoint(480, 300));
    EXPECT_EQ(editor->getFrame()->getViewSize().getWidth(), 320);
    editor->removed();
    scaling->release();
}

TEST_F(VSTGUIEditorTest, TheKnobModeIsTheHosts)
{
    controller.setKnobMode(kLinearMode);
    EXPECT_EQ(editor->getKnobMode(), VSTGUI::kLinearMode);
    controller.setKnobMode(kCircularMode);
    EXPECT_EQ(editor->getKnobMode(), VSTGUI::kCircularMode);
    EXPECT_FALSE(editor->beginEdit(3));
    EXPECT_FALSE(editor->endEdit(3));
    controller.setKnobMode(kLinearMode);
}

} // namespace
