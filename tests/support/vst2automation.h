// What a VST 2 host hears of an editor's gestures: audioMasterBeginEdit, audioMasterAutomate for
// each value and audioMasterEndEdit, read from the calls the host helper recorded, as the edits a
// VST 3 host would receive, so that both can be compared with the same expectations.
#pragma once

#include "support/hostedits.h"

#include "host/vst2host.h"

#include <vector>

namespace talvane::testing {

// The automation calls among `calls`, in order, as edits of the parameter with the call's index.
inline HostEdits automationIn(const std::vector<host::Vst2Host::HostCall>& calls)
{
    HostEdits edits;
    for (const host::Vst2Host::HostCall& call : calls)
    {
        const auto id = static_cast<Steinberg::Vst::ParamID>(call.index);
        if (call.opcode == audioMasterBeginEdit)
            edits.push_back({HostEdit::Begin, id});
        else if (call.opcode == audioMasterAutomate)
            edits.push_back({HostEdit::Perform, id, call.opt});
        else if (call.opcode == audioMasterEndEdit)
            edits.push_back({HostEdit::End, id});
    }
    return edits;
}

} // namespace talvane::testing
