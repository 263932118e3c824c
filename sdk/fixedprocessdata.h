// Parameter changes and an event list for IAudioProcessor::process whose storage is reserved up
// front, so that filling them on the audio thread never allocates. What does not fit is handled as
// documented per class rather than grown.
#pragma once

#include "sdk/refcounting.h"

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <memory>
#include <vector>

namespace Steinberg {
namespace Vst {

// The points of one parameter within one block, kept in ascending sample offset. A point at an
// offset that already has one replaces its value. When the queue is full, a point at or after the
// last one replaces the last one, so the value the block ends on is never lost; earlier points are
// dropped.
class FixedParamValueQueue : public OwnerManaged<IParamValueQueue>
{
public:
    explicit FixedParamValueQueue(int32 capacity);

    void reset(ParamID id);

    ParamID PLUGIN_API getParameterId() override { return paramId; }
    int32 PLUGIN_API getPointCount() override { return count; }
    tresult PLUGIN_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) override;
    tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32& index) override;

private:
    struct Point
    {
        int32 offset;
        ParamValue value;
    };
    ParamID paramId = 0;
    std::vector<Point> points; // sized once; the first `count` entries are in use
    int32 count = 0;
};

// One queue per parameter slot (the parameter's index in the plug-in's list), handed out in the
// order the slots are first touched within a block.
class FixedParameterChanges : public OwnerManaged<IParameterChanges>
{
public:
    FixedParameterChanges(int32 slotCount, int32 pointsPerQueue);

    // Adds a point for the parameter in `slot`, whose ID is `id`. False for a slot out of range.
    bool add(int32 slot, ParamID id, int32 sampleOffset, ParamValue value);
    void clear();
    bool empty() const { return used == 0; }

    int32 PLUGIN_API getParameterCount() override { return used; }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) override;
    // Plug-ins may add output changes through this; an ID is found among the queues in use.
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) override;

private:
    FixedParamValueQueue* queueForSlot(int32 slot, ParamID id);

    std::vector<std::unique_ptr<FixedParamValueQueue>> queues;
    std::vector<int32> queueOfSlot; // index into queues, or -1 while the slot has no points
    std::vector<int32> slotOfQueue;
    int32 used = 0;
};

// Events of one block. Events beyond the capacity are refused (addEvent answers kOutOfMemory).
class FixedEventList : public OwnerManaged<IEventList>
{
public:
    explicit FixedEventList(int32 capacity);

    void clear() { count = 0; }

    int32 PLUGIN_API getEventCount() override { return count; }
    tresult PLUGIN_API getEvent(int32 index, Event& e) override;
    tresult PLUGIN_API addEvent(Event& e) override;

private:
    std::vector<Event> events;
    int32 count = 0;
};

} // namespace Vst
} // namespace Steinberg
