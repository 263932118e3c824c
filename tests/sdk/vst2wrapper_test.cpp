// The VST 2 wrapper around the instrument's processor and a controller whose editor is a test view:
// the editor opcodes, the run loop the view gets, resizing, automation from the controller side,
// and how changes reach the controller only on the user-interface thread.
#include "host/vst2host.h"
#include "sdk/pluginfactory.h"
#include "sdk/vst2wrapper.h"
#include "source/controller/talvanecontroller.h"
#include "source/factory/classids.h"
#include "source/params/paramids.h"
#include "source/processor/talvane.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::Vst2Host;

namespace {

constexpr int32 kViewWidth = 1066;
constexpr int32 kViewHeight = 544;
void* const kHostWindow = reinterpret_cast<void*>(0x4a00001);

// An editor view that uses its frame's run loop: a timer and a file descriptor (a pipe).
class TestView : public IPlugView, public Linux::ITimerHandler, public Linux::IEventHandler
{
public:
    static int alive;
    static TestView* last;

    TestView()
    {
        ++alive;
        last = this;
        if (pipe(fds) != 0)
            fds[0] = fds[1] = -1;
    }
    virtual ~TestView()
    {
        --alive;
        if (last == this)
            last = nullptr;
        close(fds[0]);
        close(fds[1]);
    }
    TestView(const TestView&) = delete;
    TestView& operator=(const TestView&) = delete;

    void makeReadable() { EXPECT_EQ(write(fds[1], "x", 1), 1); }

    tresult PLUGIN_API isPlatformTypeSupported(FIDString type) override
    {
        return std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue : kResultFalse;
    }
    tresult PLUGIN_API attached(void* parent, FIDString type) override
    {
        parentWindow = parent;
        platformType = type;
        if (!frame ||
            frame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&runLoop)) != kResultOk)
            return kResultFalse;
        runLoop->registerTimer(this, 0);
        runLoop->registerEventHandler(this, fds[0]);
        return kResultOk;
    }
    tresult PLUGIN_API removed() override
    {
        ++removedCalls;
        if (runLoop)
        {
            runLoop->unregisterTimer(this);
            runLoop->unregisterEventHandler(this);
            runLoop->release();
            runLoop = nullptr;
        }
        return kResultOk;
    }
    tresult PLUGIN_API onWheel(float) override { return kResultFalse; }
    tresult PLUGIN_API onKeyDown(char16, int16, int16) override { return kResultFalse; }
    tresult PLUGIN_API onKeyUp(char16, int16, int16) override { return kResultFalse; }
    tresult PLUGIN_API getSize(ViewRect* rect) override
    {
        *rect = size;
        return kResultOk;
    }
    tresult PLUGIN_API onSize(ViewRect* newSize) override
    {
        size = *newSize;
        ++onSizeCalls;
        return kResultOk;
    }
    tresult PLUGIN_API onFocus(TBool) override { return kResultOk; }
    tresult PLUGIN_API setFrame(IPlugFrame* newFrame) override
    {
        frame = newFrame;
        return kResultOk;
    }
    tresult PLUGIN_API canResize() override { return kResultTrue; }
    tresult PLUGIN_API checkSizeConstraint(ViewRect*) override { return kResultOk; }

    void PLUGIN_API onTimer() override { ++timerCalls; }
    void PLUGIN_API onFDIsSet(Linux::FileDescriptor fd) override
    {
        char byte;
        EXPECT_EQ(read(fd, &byte, 1), 1);
        ++fdCalls;
    }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPlugView::iid))
            *obj = static_cast<IPlugView*>(this);
        else if (FUnknownPrivate::iidEqual(iid, Linux::ITimerHandler::iid))
            *obj = static_cast<Linux::ITimerHandler*>(this);
        else if (FUnknownPrivate::iidEqual(iid, Linux::IEventHandler::iid))
            *obj = static_cast<Linux::IEventHandler*>(this);
        else
        {
            *obj = nullptr;
            return kNoInterface;
        }
        addRef();
        return kResultOk;
    }
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override
    {
        if (--refs == 0)
        {
            delete this;
            return 0;
        }
        return static_cast<uint32>(refs);
    }

    void* parentWindow = nullptr;
    std::string platformType;
    IPlugFrame* frame = nullptr;
    Linux::IRunLoop* runLoop = nullptr;
    ViewRect size{0, 0, kViewWidth, kViewHeight};
    int timerCalls = 0;
    int fdCalls = 0;
    int removedCalls = 0;
    int onSizeCalls = 0;

private:
    int refs = 1;
    int fds[2] = {-1, -1};
};
int TestView::alive = 0;
TestView* TestView::last = nullptr;

// The instrument's controller with the test view as its editor.
class ControllerWithView : public TalvaneController
{
public:
    static ControllerWithView* last;
    static int viewsCreated;

    static FUnknown* createInstance(void*)
    {
        last = new ControllerWithView();
        return static_cast<IEditController*>(last);
    }
    IPlugView* PLUGIN_API createView(FIDString name) override
    {
        if (!name || std::strcmp(name, "editor") != 0)
            return nullptr;
        ++viewsCreated;
        return new TestView();
    }
};
ControllerWithView* ControllerWithView::last = nullptr;
int ControllerWithView::viewsCreated = 0;

CPluginFactory* testFactory()
{
    static CPluginFactory* factory = [] {
        auto* f = new CPluginFactory(PFactoryInfo("Test Vendor", "", "", PFactoryInfo::kUnicode));
        const PClassInfo2 processorInfo(talvane::kProcessorClassId.toTUID(), PClassInfo::kManyInstances,
                                        kVstAudioEffectClass, "Talvane VST3", kDistributable,
                                        "Instrument|Synth", "", "0.87.0.0", "VST 3.6.0");
        f->registerClass(&processorInfo, &Talvane::createInstance);
        const PClassInfo2 controllerInfo(talvane::kControllerClassId.toTUID(), PClassInfo::kManyInstances,
                                         kVstComponentControllerClass, "Talvane VST3Controller", 0, "", "",
                                         "0.87.0.0", "VST 3.6.0");
        f->registerClass(&controllerInfo, &ControllerWithView::createInstance);
        return f;
    }();
    return factory;
}

AEffect* createEffect(audioMasterCallback host)
{
    Vst2Wrapper* wrapper =
        Vst2Wrapper::create(testFactory(), talvane::kProcessorClassId.toTUID(), talvane::kVst2UniqueId, host);
    return wrapper ? wrapper->getAEffect() : nullptr;
}

class Vst2WrapperEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestView::alive = 0;
        ControllerWithView::viewsCreated = 0;
        ASSERT_TRUE(host.instantiate(&createEffect)) << host.error();
        controller = ControllerWithView::last;
        ASSERT_NE(controller, nullptr);
    }
    void TearDown() override
    {
        host.closeEffect();
        EXPECT_EQ(TestView::alive, 0) << "every view is released by close";
    }

    ERect editorRect()
    {
        ERect* rect = nullptr;
        EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
        return rect ? *rect : ERect{};
    }

    Vst2Host host;
    ControllerWithView* controller = nullptr;
};

} // namespace

TEST_F(Vst2WrapperEditor, ProbesTheViewOnceAndOffersTheEditorWithItsSize)
{
    EXPECT_TRUE(host.effect()->flags & effFlagsHasEditor);
    EXPECT_EQ(ControllerWithView::viewsCreated, 1);
    EXPECT_EQ(TestView::alive, 0) << "the probe's view is released at once";
    const ERect rect = editorRect();
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, kViewWidth);
    EXPECT_EQ(rect.bottom, kViewHeight);
}

TEST_F(Vst2WrapperEditor, OpensOnTheHostWindowAndRunsTheViewsLoopFromEditorIdle)
{
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 0) << "no window, no editor";
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, kHostWindow), 1);
    TestView* view = TestView::last;
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->parentWindow, kHostWindow);
    EXPECT_EQ(view->platformType, "X11EmbedWindowID");
    ASSERT_NE(view->runLoop, nullptr) << "the frame offers a run loop";
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, kHostWindow), 1);
    EXPECT_EQ(TestView::alive, 1) << "a second open keeps the open view";

    host.dispatch(effEditIdle);
    EXPECT_EQ(view->timerCalls, 1);
    EXPECT_EQ(view->fdCalls, 0) << "nothing to read yet";
    view->makeReadable();
    host.dispatch(effEditIdle);
    EXPECT_EQ(view->timerCalls, 2);
    EXPECT_EQ(view->fdCalls, 1);
    host.dispatch(effEditIdle);
    EXPECT_EQ(view->fdCalls, 1) << "the byte was read";

    EXPECT_EQ(host.dispatch(effEditClose), 1);
    EXPECT_EQ(TestView::alive, 0);
    host.dispatch(effEditIdle); // nothing left to run
}

TEST_F(Vst2WrapperEditor, ResizeRequestsGoToTheHostWindow)
{
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, kHostWindow), 1);
    TestView* view = TestView::last;
    ViewRect wanted(0, 0, 800, 400);
    EXPECT_EQ(view->frame->resizeView(view, &wanted), kResultTrue);
    const Vst2Host::HostCall* call = host.lastCallOf(audioMasterSizeWindow);
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->index, 800);
    EXPECT_EQ(call->value, 400);
    EXPECT_EQ(view->onSizeCalls, 1);
    const ERect rect = editorRect();
    EXPECT_EQ(rect.right, 800);
    EXPECT_EQ(rect.bottom, 400);

    host.sizeWindowAnswer = 0;
    ViewRect refused(0, 0, 900, 500);
    EXPECT_EQ(view->frame->resizeView(view, &refused), kResultFalse);
    EXPECT_EQ(view->onSizeCalls, 1) << "a size the host did not take is not applied";
    EXPECT_EQ(view->frame->resizeView(view, nullptr), kInvalidArgument);
}

TEST_F(Vst2WrapperEditor, ClosingTheEffectWithTheEditorOpenRemovesTheView)
{
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, kHostWindow), 1);
    EXPECT_EQ(TestView::alive, 1);
    // TearDown closes the effect and expects the view gone.
}

TEST_F(Vst2WrapperEditor, EditsFromTheControllerAreHostAutomationAndReachTheProcessor)
{
    host.start(44100.0f, 512);
    IComponentHandler* handler = controller->getComponentHandler();
    ASSERT_NE(handler, nullptr);
    const ParamID cutoff = talvane::kFCutoff;
    handler->beginEdit(cutoff);
    controller->setParamNormalized(cutoff, 0.25);
    handler->performEdit(cutoff, 0.25);
    handler->endEdit(cutoff);

    const Vst2Host::HostCall* begin = host.lastCallOf(audioMasterBeginEdit);
    const Vst2Host::HostCall* automate = host.lastCallOf(audioMasterAutomate);
    const Vst2Host::HostCall* end = host.lastCallOf(audioMasterEndEdit);
    ASSERT_TRUE(begin && automate && end);
    EXPECT_EQ(begin->index, static_cast<int32>(cutoff));
    EXPECT_EQ(automate->index, static_cast<int32>(cutoff));
    EXPECT_FLOAT_EQ(automate->opt, 0.25f);
    EXPECT_EQ(end->index, static_cast<int32>(cutoff));
    EXPECT_LT(begin, automate);
    EXPECT_LT(automate, end);
    EXPECT_FLOAT_EQ(host.effect()->getParameter(host.effect(), static_cast<int>(cutoff)), 0.25f);

    host.process(512);
    const std::vector<uint8_t> state = host.getChunk();
    ASSERT_GT(state.size(), 600u) << "the processor's state, then the controller's";
    float stored = 0.0f;
    std::memcpy(&stored, state.data() + 12 + 4 * cutoff, sizeof stored);
    EXPECT_FLOAT_EQ(stored, 0.25f);

    EXPECT_EQ(handler->performEdit(100000, 0.5), kInvalidArgument);
    EXPECT_EQ(handler->beginEdit(100000), kInvalidArgument);
}

TEST_F(Vst2WrapperEditor, TheControllerHearsOfChangesOnlyOnTheUserInterfaceThread)
{
    AEffect* fx = host.effect();
    const ParamID cutoff = talvane::kFCutoff;
    const double before = controller->getParamNormalized(cutoff);

    // Host automation played from another thread: the host sees it at once, the controller later.
    std::thread audio([fx] { fx->setParameter(fx, talvane::kFCutoff, 0.125f); });
    audio.join();
    EXPECT_FLOAT_EQ(fx->getParameter(fx, talvane::kFCutoff), 0.125f);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(cutoff), before);
    host.dispatch(effEditIdle);
    EXPECT_FLOAT_EQ(static_cast<float>(controller->getParamNormalized(cutoff)), 0.125f);

    // From the user-interface thread itself: at once.
    fx->setParameter(fx, talvane::kFCutoff, 0.75f);
    EXPECT_FLOAT_EQ(static_cast<float>(controller->getParamNormalized(cutoff)), 0.75f);

    // Mapped MIDI controllers come in on the audio thread.
    host.start(44100.0f, 512);
    host.controlChange(0, 1, 127);
    host.pitchBend(0, 0);
    host.process(512);
    EXPECT_EQ(fx->getParameter(fx, talvane::kModWheel), 1.0f);
    host.dispatch(effEditIdle);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(talvane::kModWheel), 1.0);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(talvane::kPitchBend), 0.0);
}

TEST_F(Vst2WrapperEditor, ALoadedChunkReachesTheController)
{
    AEffect* fx = host.effect();
    fx->setParameter(fx, talvane::kFCutoff, 0.125f);
    std::vector<uint8_t> chunk = host.getChunk();
    ASSERT_GT(chunk.size(), 600u) << "the processor's state, then the controller's";
    const float cutoff = 0.625f;
    std::memcpy(chunk.data() + 12 + 4 * talvane::kFCutoff, &cutoff, sizeof cutoff);
    EXPECT_EQ(host.setChunk(chunk), 1);
    EXPECT_FLOAT_EQ(static_cast<float>(controller->getParamNormalized(talvane::kFCutoff)), 0.625f);
    EXPECT_FLOAT_EQ(fx->getParameter(fx, talvane::kFCutoff), 0.625f);
}
