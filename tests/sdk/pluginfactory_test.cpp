#include "sdk/pluginfactory.h"

#include "pluginterfaces/base/ustring.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Steinberg;

namespace {

// A minimal reference-counted object for the factory to create.
class Counted : public FUnknown
{
public:
    static int alive;
    Counted() { ++alive; }
    virtual ~Counted() { --alive; }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, FUnknown::iid))
        {
            addRef();
            *obj = this;
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override
    {
        if (--refs == 0)
        {
            delete this;
            return 0;
        }
        return static_cast<uint32>(refs);
    }
    int refs = 1;
};
int Counted::alive = 0;

FUnknown* createCounted(void*)
{
    return new Counted();
}
FUnknown* createNothing(void*)
{
    return nullptr;
}

const FUID kFirst(1, 2, 3, 4);
const FUID kSecond(5, 6, 7, 8);

} // namespace

TEST(PluginFactoryStandIn, KeepsRegistrationOrderAcrossInfoForms)
{
    auto* factory = new CPluginFactory(PFactoryInfo("Maker", "https://maker", "mailto:m@maker", 16));
    PClassInfo2 second(kSecond.toTUID(), PClassInfo::kManyInstances, "Cat B", "Second", 0, "", "", "1.0",
                       "V");
    PClassInfo first(kFirst.toTUID(), PClassInfo::kManyInstances, "Cat A", "First");
    EXPECT_TRUE(factory->registerClass(&first, createCounted));
    EXPECT_TRUE(factory->registerClass(&second, createCounted));
    EXPECT_FALSE(factory->registerClass(static_cast<PClassInfo2*>(nullptr), createCounted));
    EXPECT_TRUE(factory->isClassRegistered(kSecond));

    ASSERT_EQ(factory->countClasses(), 2);
    PClassInfoW wide;
    ASSERT_EQ(factory->getClassInfoUnicode(1, &wide), kResultOk);
    char name[64];
    UString(wide.name, 64).toAscii(name, sizeof(name));
    EXPECT_STREQ(name, "Second");
    PClassInfo2 info2;
    ASSERT_EQ(factory->getClassInfo2(0, &info2), kResultOk);
    EXPECT_STREQ(info2.name, "First");
    EXPECT_STREQ(info2.category, "Cat A");
    PFactoryInfo info;
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Maker");
    EXPECT_EQ(factory->release(), 0u);
}

TEST(PluginFactoryStandIn, CreatedInstancesBelongToTheCaller)
{
    auto* factory = new CPluginFactory(PFactoryInfo("M", "", "", 16));
    PClassInfo2 info(kFirst.toTUID(), 1, "C", "N", 0, "", "", "1", "V");
    factory->registerClass(&info, createCounted);
    PClassInfo2 broken(kSecond.toTUID(), 1, "C", "Broken", 0, "", "", "1", "V");
    factory->registerClass(&broken, createNothing);

    void* object = nullptr;
    ASSERT_EQ(factory->createInstance(kFirst.toTUID(), FUnknown::iid, &object), kResultOk);
    EXPECT_EQ(Counted::alive, 1);
    EXPECT_EQ(static_cast<FUnknown*>(object)->release(), 0u) << "the caller holds the only reference";
    EXPECT_EQ(Counted::alive, 0);

    const TUID otherIid = {9};
    EXPECT_EQ(factory->createInstance(kFirst.toTUID(), otherIid, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Counted::alive, 0) << "an instance that does not fit is not leaked";
    EXPECT_NE(factory->createInstance(kSecond.toTUID(), FUnknown::iid, &object), kResultOk);
    EXPECT_EQ(object, nullptr);
    factory->release();
}
