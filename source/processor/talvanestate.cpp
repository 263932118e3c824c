// The processor's saved state, and the hand-over that keeps loading and saving safe while the
// audio thread is processing.
#include "source/presets/programs.h"
#include "source/params/stateformat.h"
#include "source/processor/talvane.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {

tresult PLUGIN_API Talvane::setActive(TBool state)
{
    const bool activate = state != 0;
    if (activate && !processingActive)
    {
        stateHandOver.reset(paramValues);
        processingActive = true;
    }
    else if (!activate && processingActive)
    {
        // Processing has stopped: a state loaded since the last block is applied here.
        processingActive = false;
        applyPendingState();
    }
    return AudioEffect::setActive(state);
}

tresult PLUGIN_API Talvane::setState(IBStream* state)
{
    // The values accepted before a failing item stay loaded; they always form a prefix in ID order.
    float loaded[talvane::kNumParams];
    int count = 0;
    const tresult result =
        talvane::readState(state, talvane::OutOfRangeValue::EndLoad, [&](talvane::ParamId id, float value) {
            loaded[id] = value;
            count = static_cast<int>(id) + 1;
        });
    if (count > 0)
        deliverLoadedState(loaded, count);
    return result;
}

tresult PLUGIN_API Talvane::getState(IBStream* state)
{
    if (!state)
        return kInvalidArgument;
    float values[talvane::kNumParams];
    currentParameterValues(values);
    return talvane::writeState(state, values);
}

void Talvane::currentParameterValues(float (&values)[talvane::kNumParams])
{
    if (processingActive)
        stateHandOver.newestValues(values);
    else
        std::copy(std::begin(paramValues), std::end(paramValues), values);
}

tresult PLUGIN_API Talvane::programDataSupported(ProgramListID listId)
{
    return listId == talvane::presets::kFactoryProgramListId ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API Talvane::getProgramData(ProgramListID listId, int32 programIndex, IBStream* data)
{
    if (listId != talvane::presets::kFactoryProgramListId || !programs.contains(programIndex) || !data)
        return kInvalidArgument;
    float values[talvane::kNumParams];
    const talvane::presets::SoundValues& program = programs.at(programIndex).values;
    std::copy(program.begin(), program.end(), values);
    return talvane::writeState(data, values);
}

tresult PLUGIN_API Talvane::setProgramData(ProgramListID /*listId*/, int32 /*programIndex*/,
                                           IBStream* /*data*/)
{
    return kResultFalse; // the factory programs cannot be overwritten
}

void Talvane::deliverLoadedState(const float* values, int count)
{
    if (processingActive)
    {
        stateHandOver.post(values, count);
        return;
    }
    for (int id = 0; id < count; ++id)
        applyParameter({values[id], id, 0});
}

void Talvane::applyPendingState()
{
    const int count = stateHandOver.take(pendingStateValues);
    for (int id = 0; id < count; ++id)
        applyParameter({pendingStateValues[id], id, 0});
}

void Talvane::publishParameterValues()
{
    stateHandOver.publish(paramValues);
}

} // namespace Vst
} // namespace Steinberg
