// The VST 2 entry points. A VST 2 host loads the same module and finds the instrument through
// VSTPluginMain (or, in older hosts, main), which wraps the VST 3 classes for it.
#include "sdk/vst2wrapper.h"
#include "source/factory/classids.h"
#include "source/factory/modulehooks.h"

#include "pluginterfaces/base/ipluginbase.h"

using namespace Steinberg;

extern "C" {

SMTG_EXPORT_SYMBOL AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    // A host that gives no version (or no callback) is not one the effect can talk to.
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    if (!talvane::InitModule())
        return nullptr;
    IPluginFactory* factory = GetPluginFactory();
    Vst::Vst2Wrapper* wrapper = Vst::Vst2Wrapper::create(factory, talvane::kProcessorClassId.toTUID(),
                                                         talvane::kVst2UniqueId, audioMaster);
    // The wrapper holds a reference of its own for as long as it lives.
    factory->release();
    return wrapper ? wrapper->getAEffect() : nullptr;
}

// The entry point's name in the first VST 2 hosts. C++ reserves `main` for the program's own, so the
// function gets another name in the source and the symbol name `main` from the assembler label.
SMTG_EXPORT_SYMBOL AEffect* vst2LegacyMain(audioMasterCallback audioMaster) __asm__("main");

AEffect* vst2LegacyMain(audioMasterCallback audioMaster)
{
    return VSTPluginMain(audioMaster);
}

} // extern "C"
