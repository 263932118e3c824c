// The exported class factory. It lists the processor first and the controller second; hosts show
// the classes in that order.
#include "sdk/pluginfactory.h"
#include "source/controller/talvanecontroller.h"
#include "source/factory/classinfos.h"
#include "source/processor/talvane.h"

using namespace Steinberg;

namespace {

CPluginFactory* buildFactory()
{
    auto* factory = new CPluginFactory(talvane::factoryInfo());
    const CPluginFactory::CreateFunction create[talvane::kNumClasses] = {&Vst::Talvane::createInstance,
                                                                        &Vst::TalvaneController::createInstance};
    for (int index = 0; index < talvane::kNumClasses; ++index)
    {
        const PClassInfo2 info = talvane::classInfo(index);
        factory->registerClass(&info, create[index]);
    }
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
