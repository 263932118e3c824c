#include "tools/render/controllermap.h"

#include "pluginterfaces/vst/ivstmidicontrollers.h"

namespace talvane::render {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
constexpr int32 kEventBus = 0;
} // namespace

MidiControllerMap::MidiControllerMap(IEditController& controller)
{
    IMidiMapping* mapping = nullptr;
    if (controller.queryInterface(IMidiMapping::iid, reinterpret_cast<void**>(&mapping)) != kResultOk || !mapping)
        return;
    for (int channel = 0; channel < kMidiChannels; ++channel)
        for (int number = 0; number < kMappedControllers; ++number)
        {
            ParamID id = 0;
            if (mapping->getMidiControllerAssignment(kEventBus, static_cast<int16>(channel),
                                                     static_cast<CtrlNumber>(number), id) == kResultTrue)
                table[static_cast<std::size_t>(channel)][static_cast<std::size_t>(number)] = id;
        }
    mapping->release();
}

} // namespace talvane::render
