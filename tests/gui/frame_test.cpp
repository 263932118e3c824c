#include "tests/gui/guitest.h"

#include <functional>

using namespace VSTGUI;
using talvane::testing::OffscreenFrameTest;

namespace {

// A view that counts its drawings and mouse events and tells when it is destroyed.
class ProbeView : public CView
{
public:
    ProbeView(const CRect& size, std::vector<std::string>& log, std::string name, int* destroyed = nullptr)
        : CView(size), log(log), name(std::move(name)), destroyed(destroyed)
    {}
    ~ProbeView() override
    {
        if (destroyed)
            ++*destroyed;
    }
    void draw(CDrawContext* /*context*/) override
    {
        ++draws;
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint& /*where*/, const CButtonState& buttons) override
    {
        log.push_back(name + " down " + std::to_string(buttons()));
        if (onDown)
            onDown();
        return downResult;
    }
    CMouseEventResult onMouseMoved(CPoint& /*where*/, const CButtonState& /*buttons*/) override
    {
        log.push_back(name + " moved");
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) override
    {
        log.push_back(name + " up");
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseEntered(CPoint& /*where*/, const CButtonState& /*buttons*/) override
    {
        log.push_back(name + " entered");
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseExited(CPoint& /*where*/, const CButtonState& /*buttons*/) override
    {
        log.push_back(name + " exited");
        return kMouseEventHandled;
    }
    bool onWheel(const CPoint& /*where*/, const float& distance, const CButtonState& /*buttons*/) override
    {
        log.push_back(name + " wheel " + std::to_string(static_cast<int>(distance)));
        return true;
    }

    int draws = 0;
    CMouseEventResult downResult = kMouseEventHandled;
    std::function<void()> onDown;

private:
    std::vector<std::string>& log;
    std::string name;
    int* destroyed;
};

class FrameTest : public OffscreenFrameTest
{
protected:
    // The log without the hover bookkeeping (entered / exited).
    std::vector<std::string> clicks() const
    {
        std::vector<std::string> kept;
        for (const std::string& entry : listener.log)
            if (entry.find("entered") == std::string::npos && entry.find("exited") == std::string::npos)
                kept.push_back(entry);
        return kept;
    }

    ProbeView* probe(const CRect& rect, const std::string& name, int* destroyed = nullptr)
    {
        auto* view = new ProbeView(rect, listener.log, name, destroyed);
        frame->addView(view);
        return view;
    }
};

TEST_F(FrameTest, TheFrameOwnsItsViews)
{
    int destroyed = 0;
    ProbeView* a = probe(CRect(0, 0, 10, 10), "a", &destroyed);
    ProbeView* b = probe(CRect(20, 0, 30, 10), "b", &destroyed);
    probe(CRect(40, 0, 50, 10), "c", &destroyed);
    EXPECT_EQ(frame->getNbViews(), 3);
    EXPECT_EQ(a->getNbReference(), 1);
    EXPECT_EQ(a->getFrame(), frame);

    EXPECT_TRUE(frame->removeView(a));
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(frame->removeView(b, false));
    EXPECT_EQ(destroyed, 1); // kept: removed without forgetting
    EXPECT_EQ(b->getFrame(), nullptr);
    b->forget();
    EXPECT_EQ(destroyed, 2);

    // Someone else's reference outlives the frame.
    ProbeView* kept = probe(CRect(60, 0, 70, 10), "kept", &destroyed);
    kept->remember();
    frame->close();
    frame = nullptr;
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(kept->getFrame(), nullptr);
    kept->forget();
    EXPECT_EQ(destroyed, 4);
}

TEST_F(FrameTest, IdleRedrawsOnlyDirtyAndInvalidAreas)
{
    ProbeView* a = probe(CRect(0, 0, 50, 50), "a");
    ProbeView* b = probe(CRect(100, 0, 150, 50), "b");
    ProbeView* c = probe(CRect(200, 0, 250, 50), "c");
    frame->idle();
    EXPECT_EQ(a->draws + b->draws + c->draws, 3);
    const int presented = screen->getPresentCount();

    frame->idle();
    EXPECT_EQ(a->draws + b->draws + c->draws, 3);
    EXPECT_EQ(screen->getPresentCount(), presented);

    b->setDirty();
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 2);
    EXPECT_EQ(c->draws, 1);
    EXPECT_EQ(screen->getLastPresented(), CRect(100, 0, 150, 50));

    // An invalid area redraws what it touches, once each, however often it was invalidated.
    frame->invalidRect(CRect(40, 10, 110, 20));
    frame->invalidRect(CRect(45, 10, 105, 20));
    frame->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 3);
    EXPECT_EQ(c->draws, 1);

    // A hidden view is not drawn.
    c->setVisible(false);
    c->setDirty();
    frame->idle();
    EXPECT_EQ(c->draws, 1);
}

TEST_F(FrameTest, TheBackgroundColourAndBitmapAreDrawnUnlessTransparent)
{
    frame->idle();
    EXPECT_EQ(screen->getPixel(5, 5), talvane::testing::kTestBackground);
    CBitmap* background = new CBitmap("background.bmp");
    background->setNoAlpha(true);
    frame->setBackground(background);
    frame->setTransparency(false);
    frame->idle();
    EXPECT_NE(screen->getPixel(5, 5), talvane::testing::kTestBackground);
    EXPECT_EQ(background->getNbReference(), 2);
    background->forget();
}

TEST_F(FrameTest, ClicksGoToTheTopmostViewThatTakesThem)
{
    ProbeView* below = probe(CRect(0, 0, 100, 100), "below");
    ProbeView* above = probe(CRect(0, 0, 100, 100), "above");
    screen->click(CPoint(10, 10));
    EXPECT_EQ(clicks(), (std::vector<std::string>{"above down 2", "above up"}));

    listener.log.clear();
    above->downResult = kMouseEventNotHandled;
    screen->click(CPoint(10, 10));
    EXPECT_EQ(clicks(), (std::vector<std::string>{"above down 2", "below down 2", "below up"}));

    listener.log.clear();
    above->setMouseEnabled(false);
    below->downResult = kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    screen->mouseDown(CPoint(10, 10));
    screen->mouseMove(CPoint(12, 12), kLButton);
    screen->mouseUp(CPoint(12, 12));
    // No capture: the move and the release go nowhere; the view that took no click is not hovered.
    EXPECT_EQ(clicks(), (std::vector<std::string>{"below down 2"}));
    EXPECT_EQ(listener.log.back(), "below entered");
}

TEST_F(FrameTest, APressEndsTheHoverBeforeTheViewHearsIt)
{
    probe(CRect(0, 0, 100, 100), "knob");
    screen->mouseMove(CPoint(10, 10));
    screen->mouseDown(CPoint(10, 10));
    screen->mouseMove(CPoint(20, 20), kLButton);
    screen->mouseUp(CPoint(20, 20));
    screen->mouseMove(CPoint(200, 200));
    const std::vector<std::string> expected = {"knob entered", "knob exited",  "knob down 2", "knob moved",
                                               "knob up",      "knob entered", "knob exited"};
    EXPECT_EQ(listener.log, expected);
}

TEST_F(FrameTest, DoubleClicksWheelAndLeavingTheWindowReachTheView)
{
    probe(CRect(0, 0, 100, 100), "v");
    screen->doubleClick(CPoint(10, 10));
    const std::vector<std::string> expected = {"v down " + std::to_string(kLButton), "v up",
                                               "v down " + std::to_string(kLButton | kDoubleClick), "v up"};
    EXPECT_EQ(clicks(), expected);

    listener.log.clear();
    EXPECT_TRUE(screen->wheel(CPoint(10, 10), -1.f));
    EXPECT_FALSE(screen->wheel(CPoint(300, 10), 1.f));
    screen->mouseMove(CPoint(10, 10));
    screen->mouseLeave();
    // The double-click left the pointer over the view; leaving the window ends that.
    EXPECT_EQ(listener.log, (std::vector<std::string>{"v wheel -1", "v exited"}));
}

TEST_F(FrameTest, AViewMayRemoveViewsAndItselfWhileHandlingAClick)
{
    int destroyed = 0;
    ProbeView* other = probe(CRect(0, 0, 100, 100), "other", &destroyed);
    ProbeView* self = probe(CRect(0, 0, 100, 100), "self", &destroyed);
    self->onDown = [&] {
        frame->removeView(other);
        frame->removeView(self);
    };
    screen->mouseMove(CPoint(10, 10));
    screen->mouseDown(CPoint(10, 10));
    EXPECT_EQ(destroyed, 2);
    screen->mouseMove(CPoint(20, 20), kLButton);
    screen->mouseUp(CPoint(20, 20));
    EXPECT_EQ(frame->getNbViews(), 0);
}

TEST_F(FrameTest, EditsOfControlsReachTheEditorThroughTheFrame)
{
    auto* control = new CKickButton(CRect(0, 0, 10, 10), &listener, 42, nullptr);
    frame->addView(control);
    control->beginEdit();
    EXPECT_TRUE(control->isEditing());
    control->endEdit();
    const std::vector<std::string> expected = {"editor begin 42", "begin", "end", "editor end 42"};
    EXPECT_EQ(listener.log, expected);
    EXPECT_EQ(frame->getKnobMode(), kLinearMode);
    editor.knobMode = -1;
    EXPECT_EQ(frame->getKnobMode(), kCircularMode);
}

TEST_F(FrameTest, ResizingRedrawsEverything)
{
    ProbeView* view = probe(CRect(0, 0, 10, 10), "v");
    frame->idle();
    EXPECT_TRUE(frame->setSize(500, 400));
    frame->idle();
    EXPECT_EQ(view->draws, 2);
    EXPECT_EQ(screen->getPixel(499, 399), talvane::testing::kTestBackground);
    EXPECT_FALSE(frame->setSize(0, 10));
}

} // namespace
