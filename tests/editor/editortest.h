// Shared set-up for tests of the editor: a real, initialized controller with a component handler
// that records every edit the host would receive, and the editor view it creates.
#pragma once

#include "source/controller/talvanecontroller.h"
#include "source/editor/talvaneeditorview.h"

#include "host/plugininstance.h"
#include "support/hostedits.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

namespace talvane::testing {

// A controller as the host sets it up: initialized, with the recording handler.
class ControllerWithHost
{
public:
    ControllerWithHost() : controller(new Steinberg::Vst::TalvaneController())
    {
        EXPECT_EQ(controller->initialize(&host::PluginInstance::hostContext()), Steinberg::kResultOk);
        controller->setComponentHandler(&handler);
    }
    ~ControllerWithHost()
    {
        controller->terminate();
        controller->release();
    }
    ControllerWithHost(const ControllerWithHost&) = delete;
    ControllerWithHost& operator=(const ControllerWithHost&) = delete;

    // A new editor view from the controller, holding the caller's reference.
    Steinberg::Vst::TalvaneEditorView* createEditor()
    {
        Steinberg::IPlugView* view = controller->createView("editor");
        auto* editor = dynamic_cast<Steinberg::Vst::TalvaneEditorView*>(view);
        EXPECT_NE(editor, nullptr);
        return editor;
    }

    Steinberg::Vst::TalvaneController* controller;
    RecordingComponentHandler handler;
};

} // namespace talvane::testing
