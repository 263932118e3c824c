// The exported class factory. It lists the processor first and the controller second; hosts show
// the classes in that order.
#include "sdk/pluginfactory.h"
#include "source/controller/talvanecontroller.h"
#include "source/factory/classids.h"
#include "source/processor/talvane.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

using namespace Steinberg;

namespace {

CPluginFactory* buildFactory()
{
    const PFactoryInfo factoryInfo(talvane::kVendorName, talvane::kVendorUrl, talvane::kVendorEmail,
                                   PFactoryInfo::kUnicode);
    auto* factory = new CPluginFactory(factoryInfo);

    const PClassInfo2 processorInfo(talvane::kProcessorClassId.toTUID(), PClassInfo::kManyInstances,
                                    kVstAudioEffectClass, talvane::kProcessorClassName, Vst::kDistributable,
                                    talvane::kInstrumentSubCategories, "", talvane::kPluginVersion,
                                    talvane::kSdkVersionString);
    factory->registerClass(&processorInfo, &Vst::Talvane::createInstance);

    const PClassInfo2 controllerInfo(talvane::kControllerClassId.toTUID(), PClassInfo::kManyInstances,
                                     kVstComponentControllerClass, talvane::kControllerClassName, 0, "", "",
                                     talvane::kPluginVersion, talvane::kSdkVersionString);
    factory->registerClass(&controllerInfo, &Vst::TalvaneController::createInstance);
    return factory;
}

// Keeps one reference for the life of the module, so the factory survives a host that releases
// every reference it was given and asks again later.
struct FactoryHolder
{
    CPluginFactory* factory = buildFactory();
    ~FactoryHolder() { factory->release(); }
};

} // namespace

// A function-local static is built exactly once even when two threads make the first call at the
// same time; every call hands the caller a reference of its own.
SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
    static FactoryHolder holder;
    holder.factory->addRef();
    return holder.factory;
}
