// The bundle's moduleinfo.json, written at build time, says what the module's factory says.
#include "support/moduletest.h"

#include "pluginterfaces/base/funknown.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <string>

using namespace Steinberg;

namespace {

nlohmann::json readModuleInfo()
{
    // The module sits in Contents/<architecture>/, the description in Contents/Resources/.
    const std::filesystem::path contents =
        std::filesystem::path(talvane::testing::modulePath()).parent_path().parent_path();
    std::ifstream in(contents / "Resources" / "moduleinfo.json");
    EXPECT_TRUE(in) << "no moduleinfo.json in " << contents.string();
    return nlohmann::json::parse(in, nullptr, false);
}

} // namespace

TEST(ModuleInfo, DescribesTheFactoryAndEveryClassItReports)
{
    const nlohmann::json info = readModuleInfo();
    ASSERT_FALSE(info.is_discarded()) << "moduleinfo.json is no valid JSON";
    IPluginFactory* factory = talvane::testing::loadedModule().factory();
    ASSERT_NE(factory, nullptr);
    FUnknownPtr<IPluginFactory2> factory2(factory);
    ASSERT_TRUE(factory2);

    PFactoryInfo factoryInfo{};
    ASSERT_EQ(factory->getFactoryInfo(&factoryInfo), kResultOk);
    EXPECT_EQ(info.at("Name"), "Talvane");
    const nlohmann::json& described = info.at("Factory Info");
    EXPECT_EQ(described.at("Vendor"), factoryInfo.vendor);
    EXPECT_EQ(described.at("URL"), factoryInfo.url);
    EXPECT_EQ(described.at("E-Mail"), factoryInfo.email);
    EXPECT_EQ(described.at("Flags").at("Unicode"), (factoryInfo.flags & PFactoryInfo::kUnicode) != 0);
    EXPECT_EQ(described.at("Flags").at("Classes Discardable"),
              (factoryInfo.flags & PFactoryInfo::kClassesDiscardable) != 0);

    const nlohmann::json& classes = info.at("Classes");
    ASSERT_EQ(classes.size(), static_cast<size_t>(factory->countClasses()));
    for (int32 index = 0; index < factory->countClasses(); ++index)
    {
        SCOPED_TRACE(index);
        PClassInfo2 reported{};
        ASSERT_EQ(factory2->getClassInfo2(index, &reported), kResultOk);
        const nlohmann::json& entry = classes.at(static_cast<size_t>(index));
        char cid[33] = {};
        FUID::fromTUID(reported.cid).toString(cid);
        EXPECT_EQ(entry.at("CID"), cid);
        EXPECT_EQ(entry.at("Category"), reported.category);
        EXPECT_EQ(entry.at("Name"), reported.name);
        EXPECT_EQ(entry.at("Vendor"), reported.vendor[0] ? reported.vendor : factoryInfo.vendor);
        EXPECT_EQ(entry.at("Version"), reported.version);
        EXPECT_EQ(entry.at("SDKVersion"), reported.sdkVersion);
        EXPECT_EQ(entry.at("Class Flags"), reported.classFlags);
        EXPECT_EQ(entry.at("Cardinality"), reported.cardinality);
        std::string subCategories;
        for (const nlohmann::json& part : entry.at("Sub Categories"))
            subCategories += (subCategories.empty() ? "" : "|") + part.get<std::string>();
        EXPECT_EQ(subCategories, reported.subCategories);
    }
}
