// The host's component handler: the editor's edits, made on the GUI thread through the controller,
// go to the processor through a lock-free queue, as a host forwards them.
#pragma once

#include "tools/standalone/liveplayer.h"

#include "sdk/refcounting.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace talvane::standalone {

class EditForwarder : public Steinberg::OwnerManaged<Steinberg::Vst::IComponentHandler>
{
public:
    explicit EditForwarder(EditQueue& editsIn) : edits(editsIn) {}

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value) override
    {
        return edits.push({id, value}) ? Steinberg::kResultOk : Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
    // Values the controller changed on its own (a program it selected) reached the processor as
    // the program change itself.
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32) override { return Steinberg::kResultOk; }

private:
    EditQueue& edits;
};

} // namespace talvane::standalone
