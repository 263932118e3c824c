#include "sdk/pluginfactory.h"

#include <cstring>

namespace Steinberg {

namespace {

// Narrow UTF-16 text from the SDK's wide records is only ever ASCII here (names, versions).
void narrowCopy(char8* dst, const char16* src, int32 capacity)
{
    int32 i = 0;
    for (; i < capacity - 1 && src[i] != 0; ++i)
        dst[i] = static_cast<char8>(src[i] < 0x80 ? src[i] : '?');
    dst[i] = 0;
}

PClassInfoW widen(const PClassInfo2& in)
{
    PClassInfoW out;
    out.fromAscii(in);
    return out;
}

PClassInfo2 narrow(const PClassInfoW& in)
{
    PClassInfo2 out;
    std::memcpy(out.cid, in.cid, sizeof(TUID));
    out.cardinality = in.cardinality;
    std::memcpy(out.category, in.category, sizeof(out.category));
    narrowCopy(out.name, in.name, PClassInfo::kNameSize);
    out.classFlags = in.classFlags;
    std::memcpy(out.subCategories, in.subCategories, sizeof(out.subCategories));
    narrowCopy(out.vendor, in.vendor, PClassInfo2::kVendorSize);
    narrowCopy(out.version, in.version, PClassInfo2::kVersionSize);
    narrowCopy(out.sdkVersion, in.sdkVersion, PClassInfo2::kVersionSize);
    return out;
}

PClassInfo2 upgrade(const PClassInfo& in)
{
    PClassInfo2 out;
    std::memcpy(out.cid, in.cid, sizeof(TUID));
    out.cardinality = in.cardinality;
    std::memcpy(out.category, in.category, sizeof(out.category));
    std::memcpy(out.name, in.name, sizeof(out.name));
    return out;
}

} // namespace

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : factoryInfo(info) {}

CPluginFactory::~CPluginFactory() = default;

bool CPluginFactory::registerClass(const PClassInfo* info, CreateFunction createFunc, void* context)
{
    if (!info || !createFunc)
        return false;
    PClassInfo2 info2 = upgrade(*info);
    return registerClass(&info2, createFunc, context);
}

bool CPluginFactory::registerClass(const PClassInfo2* info, CreateFunction createFunc, void* context)
{
    if (!info || !createFunc)
        return false;
    classes.push_back({*info, widen(*info), createFunc, context});
    return true;
}

bool CPluginFactory::registerClass(const PClassInfoW* info, CreateFunction createFunc, void* context)
{
    if (!info || !createFunc)
        return false;
    classes.push_back({narrow(*info), *info, createFunc, context});
    return true;
}

bool CPluginFactory::isClassRegistered(const FUID& cid) const
{
    for (const ClassEntry& entry : classes)
        if (FUnknownPrivate::iidEqual(entry.info2.cid, cid.toTUID()))
            return true;
    return false;
}

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid))
    {
        addRef();
        *obj = static_cast<IPluginFactory3*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API CPluginFactory::addRef()
{
    return FUnknownPrivate::atomicAdd(refCount, 1);
}

uint32 PLUGIN_API CPluginFactory::release()
{
    const int32 remaining = FUnknownPrivate::atomicAdd(refCount, -1);
    if (remaining == 0)
    {
        delete this;
        return 0;
    }
    return static_cast<uint32>(remaining);
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (!info)
        return kInvalidArgument;
    *info = factoryInfo;
    return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses()
{
    return static_cast<int32>(classes.size());
}

const CPluginFactory::ClassEntry* CPluginFactory::entryAt(int32 index) const
{
    if (index < 0 || index >= static_cast<int32>(classes.size()))
        return nullptr;
    return &classes[static_cast<size_t>(index)];
}

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
    const ClassEntry* entry = entryAt(index);
    if (!info)
        return kInvalidArgument;
    if (!entry)
        return kInvalidArgument;
    std::memcpy(info->cid, entry->info2.cid, sizeof(TUID));
    info->cardinality = entry->info2.cardinality;
    std::memcpy(info->category, entry->info2.category, sizeof(info->category));
    std::memcpy(info->name, entry->info2.name, sizeof(info->name));
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    const ClassEntry* entry = entryAt(index);
    if (!info || !entry)
        return kInvalidArgument;
    *info = entry->info2;
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    const ClassEntry* entry = entryAt(index);
    if (!info || !entry)
        return kInvalidArgument;
    *info = entry->infoW;
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid)
        return kInvalidArgument;
    for (const ClassEntry& entry : classes)
    {
        if (!FUnknownPrivate::iidEqual(entry.info2.cid, cid))
            continue;
        FUnknown* instance = entry.create(entry.context);
        if (!instance)
            return kOutOfMemory;
        // The new object holds one reference; queryInterface adds the caller's, then ours goes.
        const tresult result = instance->queryInterface(iid, obj);
        instance->release();
        if (result != kResultOk)
            *obj = nullptr;
        return result == kResultOk ? kResultOk : kNoInterface;
    }
    return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::setHostContext(FUnknown* /*context*/)
{
    return kNotImplemented;
}

} // namespace Steinberg
