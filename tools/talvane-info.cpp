// Loads a built Talvane module through the host library and lists what a host sees: the factory,
// its classes and the controller's parameters.
#include "host/hosttext.h"
#include "host/plugininstance.h"

#include <cstdio>
#include <string>

using namespace talvane::host;

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <Talvane.vst3 bundle or .so>\n", argv[0]);
        return 2;
    }
    PluginModule module;
    if (!module.load(argv[1]))
    {
        std::fprintf(stderr, "talvane-info: %s\n", module.error().c_str());
        return 1;
    }
    Steinberg::PFactoryInfo factoryInfo;
    module.factory()->getFactoryInfo(&factoryInfo);
    std::printf("module   %s\nvendor   %s (%s, %s)\n", module.path().c_str(), factoryInfo.vendor,
                factoryInfo.url, factoryInfo.email);
    Steinberg::IPluginFactory2* factory2 = nullptr;
    module.factory()->queryInterface(Steinberg::IPluginFactory2::iid, reinterpret_cast<void**>(&factory2));
    for (Steinberg::int32 i = 0; factory2 && i < factory2->countClasses(); ++i)
    {
        Steinberg::PClassInfo2 info;
        factory2->getClassInfo2(i, &info);
        std::printf("class %d  %-26s %-28s %-18s %s\n", i, info.name, info.category, info.subCategories,
                    info.version);
    }
    if (factory2)
        factory2->release();

    PluginInstance instance;
    if (!instance.create(module.factory()) || !instance.controller())
    {
        std::fprintf(stderr, "talvane-info: %s\n", instance.error().c_str());
        return 1;
    }
    Steinberg::Vst::IEditController* controller = instance.controller();
    const Steinberg::int32 count = controller->getParameterCount();
    std::printf("%d parameters\n", count);
    for (Steinberg::int32 i = 0; i < count; ++i)
    {
        Steinberg::Vst::ParameterInfo info{};
        controller->getParameterInfo(i, info);
        Steinberg::Vst::String128 text{};
        controller->getParamStringByValue(info.id, info.defaultNormalizedValue, text);
        std::printf("  %3u  %-18s steps %2d  default %.6f  %s\n", info.id, narrow(info.title).c_str(),
                    info.stepCount, info.defaultNormalizedValue, narrow(text).c_str());
    }
    return 0;
}
