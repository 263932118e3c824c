// What a host's component handler receives from a controller, recorded in order: each beginEdit,
// performEdit and endEdit with its parameter ID (and value), to compare with the edits a user action
// should give.
#pragma once

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <sstream>
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

// What the host receives for one gesture on `id`: its beginning, each value it took, its end. A
// gesture that changed nothing is a beginning and an end.
inline HostEdits oneGesture(Steinberg::Vst::ParamID id, const std::vector<Steinberg::Vst::ParamValue>& values)
{
    HostEdits edits{{HostEdit::Begin, id}};
    for (const Steinberg::Vst::ParamValue value : values)
        edits.push_back({HostEdit::Perform, id, value});
    edits.push_back({HostEdit::End, id});
    return edits;
}

// Stands in for the host's component handler; owned by the test. It also hears of group edits
// (IComponentHandler2), which hosts make one undo step of.
class RecordingComponentHandler : public Steinberg::Vst::IComponentHandler, public Steinberg::Vst::IComponentHandler2
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

    // IComponentHandler2: where a group of edits starts and finishes, as positions in `edits`.
    tresult PLUGIN_API startGroupEdit() override
    {
        groups.push_back({edits.size(), edits.size()});
        ++openGroups;
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API finishGroupEdit() override
    {
        if (openGroups == 0)
            return Steinberg::kResultFalse;
        --openGroups;
        groups.back().finish = edits.size();
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API setDirty(Steinberg::TBool state) override
    {
        dirtyCalls.push_back(state != 0);
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API requestOpenEditor(Steinberg::FIDString) override { return Steinberg::kResultFalse; }

    tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override
    {
        using Steinberg::FUnknownPrivate::iidEqual;
        if (iidEqual(iid, Steinberg::FUnknown::iid) || iidEqual(iid, IComponentHandler::iid))
        {
            *obj = static_cast<IComponentHandler*>(this);
            return Steinberg::kResultOk;
        }
        if (iidEqual(iid, IComponentHandler2::iid))
        {
            *obj = static_cast<IComponentHandler2*>(this);
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

    struct Group
    {
        std::size_t start;  // the first edit in the group
        std::size_t finish; // one past its last
        bool operator==(const Group& other) const { return start == other.start && finish == other.finish; }
    };

    HostEdits edits;
    std::vector<Steinberg::int32> restarts; // the flags of every restartComponent, in order
    std::vector<bool> dirtyCalls;           // every setDirty, in order: the project has changes to save
    std::vector<Group> groups;
    int openGroups = 0;
};

// The same calls in the same order, with values equal within `tolerance` (a control's value is
// single precision on its way to the host).
inline ::testing::AssertionResult sameEdits(const HostEdits& actual, const HostEdits& expected,
                                            double tolerance = 1e-6)
{
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; same && i < actual.size(); ++i)
        same = actual[i].kind == expected[i].kind && actual[i].id == expected[i].id &&
               std::fabs(actual[i].value - expected[i].value) <= tolerance;
    if (same)
        return ::testing::AssertionSuccess();
    std::ostringstream text;
    text << "the host received " << ::testing::PrintToString(actual) << "\n  expected "
         << ::testing::PrintToString(expected);
    return ::testing::AssertionFailure() << text.str();
}

} // namespace talvane::testing
