// Reference counting for single-interface SDK objects of our own.
//   OwnerManaged<I>: lives inside its owner (a member or a local); the count is kept only so that
//                    callers may addRef and release as the interfaces require, and never frees it.
//   HeapRefCounted<I>: made with new; freed when its last reference goes.
// Both answer queryInterface for FUnknown and I.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <atomic>

namespace Steinberg {

template <typename Interface>
tresult querySingleInterface(Interface* self, const TUID iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, Interface::iid))
    {
        self->addRef();
        *obj = self;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

template <typename Interface>
class OwnerManaged : public Interface
{
public:
    OwnerManaged() = default;
    // A copy is a new object with a count of its own, so owners may keep these in containers.
    OwnerManaged(const OwnerManaged&) : Interface() {}
    OwnerManaged& operator=(const OwnerManaged&) { return *this; }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        return querySingleInterface<Interface>(this, iid, obj);
    }
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override { return static_cast<uint32>(--refs); }

protected:
    ~OwnerManaged() = default;

private:
    std::atomic<int32> refs{1};
};

template <typename Interface>
class HeapRefCounted : public Interface
{
public:
    HeapRefCounted() = default;
    HeapRefCounted(const HeapRefCounted&) = delete;
    HeapRefCounted& operator=(const HeapRefCounted&) = delete;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        return querySingleInterface<Interface>(this, iid, obj);
    }
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override
    {
        const int32 remaining = --refs;
        if (remaining == 0)
            delete this;
        return static_cast<uint32>(remaining);
    }

protected:
    virtual ~HeapRefCounted() = default;

private:
    std::atomic<int32> refs{1};
};

} // namespace Steinberg
