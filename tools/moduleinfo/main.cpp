// Writes the bundle's Contents/Resources/moduleinfo.json from the factory's own descriptions of
// itself and its classes, so that hosts can list the classes without loading the module.
// Usage: talvane-moduleinfo OUTPUT.json
#include "source/factory/classinfos.h"

#include "pluginterfaces/base/funknown.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;

// The sub-categories are one text with '|' between them.
std::vector<std::string> splitSubCategories(const char* text)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, '|'))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

Json describeFactory()
{
    const Steinberg::PFactoryInfo info = talvane::factoryInfo();
    return Json{{"Vendor", info.vendor},
                {"URL", info.url},
                {"E-Mail", info.email},
                {"Flags",
                 {{"Unicode", (info.flags & Steinberg::PFactoryInfo::kUnicode) != 0},
                  {"Classes Discardable", (info.flags & Steinberg::PFactoryInfo::kClassesDiscardable) != 0},
                  {"Component Non Discardable",
                   (info.flags & Steinberg::PFactoryInfo::kComponentNonDiscardable) != 0}}}};
}

Json describeClass(const Steinberg::PClassInfo2& info, const char* factoryVendor)
{
    char cid[33] = {};
    Steinberg::FUID::fromTUID(info.cid).toString(cid);
    // A class without a vendor of its own is the factory's.
    const char* vendor = info.vendor[0] != 0 ? info.vendor : factoryVendor;
    return Json{{"CID", cid},
                {"Category", info.category},
                {"Name", info.name},
                {"Vendor", vendor},
                {"Version", info.version},
                {"SDKVersion", info.sdkVersion},
                {"Sub Categories", splitSubCategories(info.subCategories)},
                {"Class Flags", info.classFlags},
                {"Cardinality", info.cardinality},
                {"Snapshots", Json::array()}};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: talvane-moduleinfo OUTPUT.json\n");
        return 2;
    }
    const Steinberg::PFactoryInfo factory = talvane::factoryInfo();
    Json classes = Json::array();
    for (int index = 0; index < talvane::kNumClasses; ++index)
        classes.push_back(describeClass(talvane::classInfo(index), factory.vendor));
    const Json moduleInfo{{"Name", talvane::kModuleName},
                          {"Version", talvane::classInfo(0).version},
                          {"Factory Info", describeFactory()},
                          {"Compatibility", Json::array()},
                          {"Classes", classes}};
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << moduleInfo.dump(2) << '\n';
    if (!out)
    {
        std::fprintf(stderr, "talvane-moduleinfo: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
