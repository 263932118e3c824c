// The editor is part of the built module: the controller a host creates through the factory offers
// the view "editor", which opens with its bitmaps and fonts and answers the host's queries.
#include "support/hostwindow.h"
#include "support/moduletest.h"

#include "host/hostobjects.h"
#include "sdk/nativewindowtype.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivstplugview.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::MemoryStream;

namespace {

// Our own platform type: the editor draws into an image only.
constexpr const char* kOffscreenPlatformType = "TalvaneOffscreen";

class EditorModule : public talvane::testing::ModuleTest
{};

// A controller state as an older or a newer version may have saved it: the header alone, or with a
// "zoom" field in percent.
std::vector<std::uint8_t> controllerRecord(std::uint8_t zoomLow = 0, std::uint8_t zoomHigh = 0)
{
    constexpr std::size_t kHeaderBytes = 8;
    std::vector<std::uint8_t> record = {'T', 'v', 'C', 's', 1, 0, 0,       0,        'z', 'o',
                                        'o', 'm', 4,   0,   0, 0, zoomLow, zoomHigh, 0,   0};
    if (!zoomLow && !zoomHigh)
        record.resize(kHeaderBytes);
    return record;
}

tresult restore(IEditController* controller, const std::vector<std::uint8_t>& bytes)
{
    MemoryStream stream(bytes);
    return controller->setState(&stream);
}

// The size a new view of `controller` reports before it is attached.
std::pair<int32, int32> newViewSize(IEditController* controller)
{
    IPlugView* view = controller->createView("editor");
    if (!view)
        return {0, 0};
    ViewRect size;
    view->getSize(&size);
    view->release();
    return {size.getWidth(), size.getHeight()};
}

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

TEST_F(EditorModule, TheEditorsZoomComesBackWithTheHostsProject)
{
    using Size = std::pair<int32, int32>;
    IEditController* controller = plugin.controller();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(newViewSize(controller), Size(1066, 544));
    ASSERT_EQ(restore(controller, controllerRecord(150)), kResultOk);
    EXPECT_EQ(newViewSize(controller), Size(1599, 816));

    // The host saves the project and loads it into a new instance: its editor opens at 150 %.
    MemoryStream saved;
    ASSERT_EQ(controller->getState(&saved), kResultOk);
    talvane::host::PluginInstance loaded;
    ASSERT_TRUE(loaded.create(talvane::testing::loadedModule().factory()));
    EXPECT_EQ(newViewSize(loaded.controller()), Size(1066, 544));
    ASSERT_EQ(restore(loaded.controller(), saved.bytes()), kResultOk);
    EXPECT_EQ(newViewSize(loaded.controller()), Size(1599, 816));

    // An open view on a screen the host scales by 1.25 follows a restored zoom through the host's
    // frame: 200 % of that is 2665 x 1360, 75 % is 999 x 510.
    IPlugView* view = loaded.controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    talvane::testing::HostWindow window;
    view->setFrame(&window);
    ASSERT_EQ(view->attached(nullptr, kOffscreenPlatformType), kResultTrue);
    IPlugViewContentScaleSupport* scaling = nullptr;
    ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling)),
              kResultOk);
    EXPECT_EQ(scaling->setContentScaleFactor(1.25f), kResultTrue);
    scaling->release();
    ASSERT_EQ(restore(loaded.controller(), controllerRecord(200)), kResultOk);
    ASSERT_FALSE(window.requests.empty());
    EXPECT_EQ(window.requests.back().getWidth(), 2665);
    EXPECT_EQ(window.requests.back().getHeight(), 1360);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), 2665);
    ASSERT_EQ(restore(loaded.controller(), controllerRecord(75)), kResultOk);
    EXPECT_EQ(window.requests.back().getWidth(), 999);
    EXPECT_EQ(window.requests.back().getHeight(), 510);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(view->release(), 0u);

    // A project from before the zoom was kept opens at 100 %; a zoom beyond the menu's at 200 %.
    talvane::host::PluginInstance older;
    ASSERT_TRUE(older.create(talvane::testing::loadedModule().factory()));
    ASSERT_EQ(restore(older.controller(), controllerRecord()), kResultOk);
    EXPECT_EQ(newViewSize(older.controller()), Size(1066, 544));
    ASSERT_EQ(restore(older.controller(), controllerRecord(0xE8, 0x03)), kResultOk);
    EXPECT_EQ(newViewSize(older.controller()), Size(2132, 1088));
}

} // namespace
