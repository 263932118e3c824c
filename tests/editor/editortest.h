// Shared set-up for tests of the editor: a real, initialized controller with a component handler
// that records every edit the host would receive, and the editor view it creates.
#pragma once

#include "source/controller/talvanecontroller.h"
#include "source/editor/talvaneeditorview.h"

#include "host/plugininstance.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace talvane::testing {

// One call the host received from the controller.
struct HostEdit
{
    enum Kind
    {
        Begin,
        Perform,
        End,
    };
    Kind kind;
    Steinberg::Vst::ParamID id;
    Steinberg::Vst::ParamValue value = 0;

    bool operator==(const HostEdit& other) const
    {
        return kind == other.kind && id == other.id && value == other.value;
    }
};

inline std::ostream& operator<<(std::ostream& out, const HostEdit& edit)
{
    static const char* const kNames[] = {"begin", "perform", "end"};
    out << kNames[edit.kind] << ' ' << edit.id;
    if (edit.kind == HostEdit::Perform)
        out << ' ' << edit.value;
    return out;
}

using HostEdits = std::vector<HostEdit>;

// What the host receives for one complete edit of `id` to `value`.
inline HostEdits editTriple(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value)
{
    return {{HostEdit::Begin, id}, {HostEdit::Perform, id, value}, {HostEdit::End, id}};
}

// Stands in for the host's component handler; owned by the test.
class RecordingComponentHandler : public Steinberg::Vst::IComponentHandler
{
public:
    using tresult = Steinberg::tresult;
    using ParamID = Steinberg::Vst::ParamID;
    using ParamValue = Steinberg::Vst::ParamValue;

    tresult PLUGIN_API beginEdit(ParamID id) override
    {
        edits.push_back({HostEdit::Begin, id});
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override
    {
        edits.push_back({HostEdit::Perform, id, value});
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API endEdit(ParamID id) override
    {
        edits.push_back({HostEdit::End, id});
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override
    {
        restarts.push_back(flags);
        return Steinberg::kResultOk;
    }

    tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override
    {
        using Steinberg::FUnknownPrivate::iidEqual;
        if (iidEqual(iid, Steinberg::FUnknown::iid) || iidEqual(iid, IComponentHandler::iid))
        {
            *obj = static_cast<IComponentHandler*>(this);
            return Steinberg::kResultOk;
        }
        *obj = nullptr;
        return Steinberg::kNoInterface;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    // The values the host received for `id`, in order.
    std::vector<ParamValue> performed(ParamID id) const
    {
        std::vector<ParamValue> values;
        for (const HostEdit& edit : edits)
            if (edit.kind == HostEdit::Perform && edit.id == id)
                values.push_back(edit.value);
        return values;
    }

    HostEdits edits;
    std::vector<Steinberg::int32> restarts; // the flags of every restartComponent, in order
};

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
