// The editor is part of the built module: the controller a host creates through the factory offers
// the view "editor", which opens with its bitmaps and fonts and answers the host's queries.
#include "support/hostwindow.h"
#include "support/moduletest.h"

#include "sdk/nativewindowtype.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivstplugview.h"

#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// Our own platform type: the editor draws into an image only.
constexpr const char* kOffscreenPlatformType = "TalvaneOffscreen";

class EditorModule : public talvane::testing::ModuleTest
{};

TEST_F(EditorModule, TheControllerOffersAnEditorThatOpensAndCloses)
{
    IEditController* controller = plugin.controller();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->createView("editorx"), nullptr);
    IPlugView* view = controller->createView("editor");
    ASSERT_NE(view, nullptr);

    // The window type of the system the module is built for, and not the other one.
    const bool onWindows = std::strcmp(kNativeWindowType, kPlatformTypeHWND) == 0;
    EXPECT_EQ(view->isPlatformTypeSupported(kNativeWindowType), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(onWindows ? kPlatformTypeX11EmbedWindowID : kPlatformTypeHWND),
              kResultFalse);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), 1066);
    EXPECT_EQ(size.getHeight(), 544);

    ASSERT_EQ(view->attached(nullptr, kOffscreenPlatformType), kResultTrue);
    // A host value reaches the open editor without harm; so does a page the editor does not show.
    EXPECT_EQ(controller->setParamNormalized(7, 0.3), kResultTrue);
    EXPECT_EQ(controller->setParamNormalized(130, 0.3), kResultTrue);

    IParameterFinder* finder = nullptr;
    ASSERT_EQ(view->queryInterface(IParameterFinder::iid, reinterpret_cast<void**>(&finder)), kResultOk);
    ParamID tag = 0;
    EXPECT_EQ(finder->findParameter(339, 483, tag), kResultFalse);
    finder->release();
    IContextMenuTarget* target = nullptr;
    ASSERT_EQ(view->queryInterface(IContextMenuTarget::iid, reinterpret_cast<void**>(&target)), kResultOk);
    EXPECT_EQ(target->executeMenuItem(1), kResultOk);
    target->release();

    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(view->release(), 0u);
}

TEST_F(EditorModule, TheViewFollowsTheHostsContentScale)
{
    IEditController* controller = plugin.controller();
    ASSERT_NE(controller, nullptr);
    IPlugView* view = controller->createView("editor");
    ASSERT_NE(view, nullptr);
    talvane::testing::HostWindow window;
    view->setFrame(&window);
    IPlugViewContentScaleSupport* scaling = nullptr;
    ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling)),
              kResultOk);
    ASSERT_NE(scaling, nullptr);

    // As a Windows host does it: attached first, then told the monitor's scale.
    ASSERT_EQ(view->attached(nullptr, kOffscreenPlatformType), kResultTrue);
    EXPECT_EQ(scaling->setContentScaleFactor(2.f), kResultTrue);
    ASSERT_FALSE(window.requests.empty());
    EXPECT_EQ(window.requests.back().getWidth(), 2132);
    EXPECT_EQ(window.requests.back().getHeight(), 1088);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), 2132);
    EXPECT_EQ(size.getHeight(), 1088);
    // Host values still reach the open, scaled editor.
    EXPECT_EQ(controller->setParamNormalized(7, 0.3), kResultTrue);

    EXPECT_EQ(scaling->setContentScaleFactor(1.25f), kResultTrue);
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), 1333);
    EXPECT_EQ(size.getHeight(), 680);
    EXPECT_EQ(scaling->setContentScaleFactor(0.f), kInvalidArgument);

    EXPECT_EQ(view->removed(), kResultOk);
    scaling->release();
    EXPECT_EQ(view->release(), 0u);
}

} // namespace
