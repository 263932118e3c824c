#include "source/factory/classinfos.h"

#include "source/factory/classids.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace talvane {

Steinberg::PFactoryInfo factoryInfo()
{
    return Steinberg::PFactoryInfo(kVendorName, kVendorUrl, kVendorEmail, Steinberg::PFactoryInfo::kUnicode);
}

Steinberg::PClassInfo2 classInfo(int index)
{
    using Steinberg::PClassInfo;
    using Steinberg::PClassInfo2;
    if (index == 0)
        return PClassInfo2(kProcessorClassId.toTUID(), PClassInfo::kManyInstances, kVstAudioEffectClass,
                           kProcessorClassName, Steinberg::Vst::kDistributable, kInstrumentSubCategories, "",
                           kPluginVersion, kSdkVersionString);
    return PClassInfo2(kControllerClassId.toTUID(), PClassInfo::kManyInstances, kVstComponentControllerClass,
                       kControllerClassName, 0, "", "", kPluginVersion, kSdkVersionString);
}

} // namespace talvane
