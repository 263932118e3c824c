// The host's window around a plug-in view: records the sizes the view asks for through
// IPlugFrame::resizeView and takes them as hosts do, by calling the view's onSize, or refuses them.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <vector>

namespace talvane::testing {

class HostWindow : public Steinberg::IPlugFrame
{
public:
    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view,
                                             Steinberg::ViewRect* newSize) override
    {
        requests.push_back(*newSize);
        if (!accept)
            return Steinberg::kResultFalse;
        return view->onSize(newSize) == Steinberg::kResultTrue ? Steinberg::kResultTrue
                                                               : Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override
    {
        using Steinberg::FUnknownPrivate::iidEqual;
        if (iidEqual(iid, IPlugFrame::iid) || iidEqual(iid, Steinberg::FUnknown::iid))
        {
            *obj = static_cast<IPlugFrame*>(this);
            return Steinberg::kResultOk;
        }
        *obj = nullptr;
        return Steinberg::kNoInterface;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    std::vector<Steinberg::ViewRect> requests;
    bool accept = true;
};

} // namespace talvane::testing
