// Feeds any bytes as a saved state to the processor (setState) and the controller
// (setComponentState), through streams that fail or end early. Afterwards the processor must save
// one whole, valid state and every controller value must lie in 0..1.
#include "tests/fuzz/fuzzsupport.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static talvane::host::PluginInstance* instance = [] {
        auto* created = new talvane::host::PluginInstance();
        if (!created->create(talvane::fuzz::module().factory()))
            talvane::fuzz::fail("the module's classes could not be created");
        return created;
    }();
    FuzzedDataProvider in(data, size);
    const bool shortReadsSucceed = in.ConsumeBool();
    const int64 failReadsFrom = in.ConsumeBool() ? in.ConsumeIntegralInRange<int64>(0, 700) : -1;
    const std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();

    for (int target = 0; target < 2; ++target)
    {
        talvane::host::MemoryStream stream(bytes);
        stream.shortReadsSucceed = shortReadsSucceed;
        stream.failReadsFrom = failReadsFrom;
        if (target == 0)
            instance->component()->setState(&stream);
        else
            instance->controller()->setComponentState(&stream);
    }
    talvane::fuzz::checkSavedState(instance->component());
    for (ParamID id = 0; id < static_cast<ParamID>(talvane::kNumParams); ++id)
    {
        const ParamValue value = instance->controller()->getParamNormalized(id);
        if (!(value >= 0.0 && value <= 1.0))
            talvane::fuzz::fail("the controller holds a value outside 0..1");
    }
    return 0;
}
