#include "support/moduletest.h"

#include "pluginterfaces/base/ustring.h"

#include <cstring>
#include <filesystem>
#include <thread>

using namespace Steinberg;
using talvane::testing::loadedModule;
using talvane::testing::modulePath;

namespace {

struct ExpectedClass
{
    const char* category;
    const char* name;
    uint32 flags;
    const char* subCategories;
};

const ExpectedClass kExpectedClasses[] = {
    {"Audio Module Class", "Talvane VST3", 1, "Instrument|Synth"},
    {"Component Controller Class", "Talvane VST3Controller", 0, ""},
};

std::string narrow(const char16* text)
{
    char buffer[256];
    UString(const_cast<char16*>(text), 256).toAscii(buffer, sizeof(buffer));
    return buffer;
}

template <typename Interface>
Interface* query(FUnknown* object)
{
    Interface* result = nullptr;
    object->queryInterface(Interface::iid, reinterpret_cast<void**>(&result));
    return result;
}

} // namespace

TEST(Factory, DescribesTheMakerWithUnicodeFlag)
{
    IPluginFactory* factory = loadedModule().factory();
    ASSERT_NE(factory, nullptr);
    PFactoryInfo info;
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
    EXPECT_GT(std::strlen(info.vendor), 0u);
    EXPECT_GT(std::strlen(info.url), 0u);
    EXPECT_GT(std::strlen(info.email), 0u);
}

TEST(Factory, ListsProcessorThenControllerInEveryInfoForm)
{
    IPluginFactory* factory = loadedModule().factory();
    ASSERT_EQ(factory->countClasses(), 2);
    auto* factory2 = query<IPluginFactory2>(factory);
    auto* factory3 = query<IPluginFactory3>(factory);
    ASSERT_NE(factory2, nullptr);
    ASSERT_NE(factory3, nullptr);

    for (int32 i = 0; i < 2; ++i)
    {
        const ExpectedClass& expected = kExpectedClasses[i];
        PClassInfo info;
        PClassInfo2 info2;
        PClassInfoW infoW;
        ASSERT_EQ(factory->getClassInfo(i, &info), kResultOk);
        ASSERT_EQ(factory2->getClassInfo2(i, &info2), kResultOk);
        ASSERT_EQ(factory3->getClassInfoUnicode(i, &infoW), kResultOk);
        SCOPED_TRACE(expected.name);

        EXPECT_STREQ(info.category, expected.category);
        EXPECT_STREQ(info.name, expected.name);
        EXPECT_EQ(info.cardinality, PClassInfo::kManyInstances);
        EXPECT_EQ(std::memcmp(info.cid, info2.cid, sizeof(TUID)), 0);
        EXPECT_EQ(std::memcmp(info.cid, infoW.cid, sizeof(TUID)), 0);

        EXPECT_STREQ(info2.category, expected.category);
        EXPECT_STREQ(info2.name, expected.name);
        EXPECT_EQ(info2.classFlags, expected.flags);
        EXPECT_STREQ(info2.subCategories, expected.subCategories);
        EXPECT_STREQ(info2.vendor, "");
        EXPECT_STREQ(info2.version, "0.87.0.0");
        EXPECT_STREQ(info2.sdkVersion, "VST 3.6.0");

        EXPECT_EQ(narrow(infoW.name), expected.name);
        EXPECT_EQ(infoW.classFlags, expected.flags);
        EXPECT_STREQ(infoW.subCategories, expected.subCategories);
        EXPECT_EQ(narrow(infoW.version), "0.87.0.0");
        EXPECT_EQ(narrow(infoW.sdkVersion), "VST 3.6.0");
    }
    PClassInfo info0, info1;
    factory->getClassInfo(0, &info0);
    factory->getClassInfo(1, &info1);
    EXPECT_NE(std::memcmp(info0.cid, info1.cid, sizeof(TUID)), 0) << "the two class IDs must differ";

    PClassInfo beyond;
    EXPECT_NE(factory->getClassInfo(2, &beyond), kResultOk);
    EXPECT_NE(factory->getClassInfo(-1, &beyond), kResultOk);
    factory2->release();
    factory3->release();
}

TEST(Factory, SecondCallReturnsTheSameFactoryWithOneMoreReference)
{
    using FactoryFunction = IPluginFactory* (*)();
    auto getFactory = reinterpret_cast<FactoryFunction>(loadedModule().symbol("GetPluginFactory"));
    ASSERT_NE(getFactory, nullptr);
    IPluginFactory* first = getFactory();
    const uint32 countAfterFirst = first->addRef() - 1;
    first->release();
    IPluginFactory* second = getFactory();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->addRef() - 1, countAfterFirst + 1);
    second->release();
    second->release();
    first->release();
}

TEST(Factory, FirstCallsFromTwoThreadsBuildOneFactory)
{
    // A private copy of the module is a fresh library whose factory does not exist yet.
    const auto copy = std::filesystem::temp_directory_path() /
                      ("talvane-factory-race-" + std::to_string(talvane::host::currentProcessId()) +
                       std::filesystem::path(modulePath()).extension().string());
    std::filesystem::copy_file(modulePath(), copy, std::filesystem::copy_options::overwrite_existing);
    talvane::host::DynamicLibrary library;
    std::string error;
    ASSERT_TRUE(library.open(copy.string(), error)) << error;
    using FactoryFunction = IPluginFactory* (*)();
    auto getFactory = reinterpret_cast<FactoryFunction>(library.symbol("GetPluginFactory"));
    ASSERT_NE(getFactory, nullptr);

    IPluginFactory* seen[2] = {nullptr, nullptr};
    std::thread a([&] { seen[0] = getFactory(); });
    std::thread b([&] { seen[1] = getFactory(); });
    a.join();
    b.join();
    EXPECT_NE(seen[0], nullptr);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0]->countClasses(), 2);
    seen[0]->release();
    seen[1]->release();
    library.close();
    std::filesystem::remove(copy);
}

TEST(Factory, ModuleHooksAnswerTrue)
{
    using Hook = bool (*)();
    for (const char* name : {"InitDll", "ExitDll"})
    {
        auto hook = reinterpret_cast<Hook>(loadedModule().symbol(name));
        ASSERT_NE(hook, nullptr) << name;
        EXPECT_TRUE(hook()) << name;
    }
}

TEST(Factory, CreatesOnlyItsOwnClassesAndInterfaces)
{
    IPluginFactory* factory = loadedModule().factory();
    PClassInfo processorInfo;
    factory->getClassInfo(0, &processorInfo);

    void* object = reinterpret_cast<void*>(1);
    const TUID unknownClass = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_NE(factory->createInstance(unknownClass, FUnknown::iid, &object), kResultOk);
    EXPECT_EQ(object, nullptr);

    EXPECT_NE(factory->createInstance(processorInfo.cid, Vst::IEditController::iid, &object), kResultOk);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(factory->createInstance(processorInfo.cid, Vst::IAudioProcessor::iid, &object), kResultOk);
    ASSERT_NE(object, nullptr);
    static_cast<Vst::IAudioProcessor*>(object)->release();
}

class FactoryInstance : public talvane::testing::ModuleTest
{};

TEST_F(FactoryInstance, ProcessorNamesTheControllerClass)
{
    PClassInfo controllerInfo;
    loadedModule().factory()->getClassInfo(1, &controllerInfo);
    TUID named{};
    ASSERT_EQ(plugin.component()->getControllerClassId(named), kResultTrue);
    EXPECT_EQ(std::memcmp(named, controllerInfo.cid, sizeof(TUID)), 0);
    EXPECT_NE(plugin.controller(), nullptr);
}
