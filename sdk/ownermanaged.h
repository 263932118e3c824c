// Base for SDK interface objects that live inside their owner (as members or locals) rather than on
// the heap: queryInterface answers FUnknown and the interface, and the reference count is kept only
// so that callers may addRef and release as the interfaces require; it never frees the object.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <atomic>

namespace Steinberg {

template <typename Interface>
class OwnerManaged : public Interface
{
public:
    OwnerManaged() = default;
    OwnerManaged(const OwnerManaged&) = delete;
    OwnerManaged& operator=(const OwnerManaged&) = delete;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (!obj)
            return kInvalidArgument;
        if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, Interface::iid))
        {
            addRef();
            *obj = static_cast<Interface*>(this);
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override { return static_cast<uint32>(--refs); }

protected:
    ~OwnerManaged() = default;

private:
    std::atomic<int32> refs{1};
};

} // namespace Steinberg
