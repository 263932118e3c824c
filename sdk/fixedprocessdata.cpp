#include "sdk/fixedprocessdata.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {

FixedParamValueQueue::FixedParamValueQueue(int32 capacity)
    : points(static_cast<std::size_t>(std::max<int32>(capacity, 1)))
{}

void FixedParamValueQueue::reset(ParamID id)
{
    paramId = id;
    count = 0;
}

tresult PLUGIN_API FixedParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= count)
        return kInvalidArgument;
    sampleOffset = points[static_cast<std::size_t>(index)].offset;
    value = points[static_cast<std::size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API FixedParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    // Position of the first point after sampleOffset: points are mostly added in order, so search
    // from the end.
    int32 at = count;
    while (at > 0 && points[static_cast<std::size_t>(at - 1)].offset > sampleOffset)
        --at;
    if (at > 0 && points[static_cast<std::size_t>(at - 1)].offset == sampleOffset)
    {
        points[static_cast<std::size_t>(at - 1)].value = value;
        index = at - 1;
        return kResultOk;
    }
    const auto capacity = static_cast<int32>(points.size());
    if (count == capacity)
    {
        if (at < count)
            return kResultFalse;
        points[static_cast<std::size_t>(count - 1)] = {sampleOffset, value};
        index = count - 1;
        return kResultOk;
    }
    std::move_backward(points.begin() + at, points.begin() + count, points.begin() + count + 1);
    points[static_cast<std::size_t>(at)] = {sampleOffset, value};
    ++count;
    index = at;
    return kResultOk;
}

FixedParameterChanges::FixedParameterChanges(int32 slotCount, int32 pointsPerQueue)
    : queueOfSlot(static_cast<std::size_t>(std::max<int32>(slotCount, 0)), -1),
      slotOfQueue(queueOfSlot.size(), -1)
{
    queues.reserve(queueOfSlot.size());
    for (std::size_t i = 0; i < queueOfSlot.size(); ++i)
        queues.push_back(std::make_unique<FixedParamValueQueue>(pointsPerQueue));
}

FixedParamValueQueue* FixedParameterChanges::queueForSlot(int32 slot, ParamID id)
{
    int32& queueIndex = queueOfSlot[static_cast<std::size_t>(slot)];
    if (queueIndex < 0)
    {
        queueIndex = used++;
        slotOfQueue[static_cast<std::size_t>(queueIndex)] = slot;
        queues[static_cast<std::size_t>(queueIndex)]->reset(id);
    }
    return queues[static_cast<std::size_t>(queueIndex)].get();
}

bool FixedParameterChanges::add(int32 slot, ParamID id, int32 sampleOffset, ParamValue value)
{
    if (slot < 0 || slot >= static_cast<int32>(queueOfSlot.size()))
        return false;
    int32 pointIndex = 0;
    return queueForSlot(slot, id)->addPoint(sampleOffset, value, pointIndex) == kResultOk;
}

void FixedParameterChanges::clear()
{
    for (int32 q = 0; q < used; ++q)
        queueOfSlot[static_cast<std::size_t>(slotOfQueue[static_cast<std::size_t>(q)])] = -1;
    used = 0;
}

IParamValueQueue* PLUGIN_API FixedParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= used)
        return nullptr;
    return queues[static_cast<std::size_t>(index)].get();
}

IParamValueQueue* PLUGIN_API FixedParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (int32 q = 0; q < used; ++q)
        if (queues[static_cast<std::size_t>(q)]->getParameterId() == id)
        {
            index = q;
            return queues[static_cast<std::size_t>(q)].get();
        }
    return nullptr; // only the wrapper's own slots exist; a plug-in's output changes are not kept
}

FixedEventList::FixedEventList(int32 capacity)
    : events(static_cast<std::size_t>(std::max<int32>(capacity, 0)))
{}

tresult PLUGIN_API FixedEventList::getEvent(int32 index, Event& e)
{
    if (index < 0 || index >= count)
        return kInvalidArgument;
    e = events[static_cast<std::size_t>(index)];
    return kResultOk;
}

tresult PLUGIN_API FixedEventList::addEvent(Event& e)
{
    if (count >= static_cast<int32>(events.size()))
        return kOutOfMemory;
    events[static_cast<std::size_t>(count++)] = e;
    return kResultOk;
}

} // namespace Vst
} // namespace Steinberg
