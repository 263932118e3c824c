#include "host/hostobjects.h"

#include <algorithm>
#include <cstring>

namespace talvane::host {

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= getPointCount() || index == failingPoint)
        return kResultFalse;
    sampleOffset = points[static_cast<size_t>(index)].offset;
    value = points[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    index = getPointCount();
    points.push_back({sampleOffset, value});
    return kResultOk;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= getParameterCount())
        return nullptr;
    return &queues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (size_t i = 0; i < queues.size(); ++i)
        if (queues[i].getParameterId() == id)
        {
            index = static_cast<int32>(i);
            return &queues[i];
        }
    index = getParameterCount();
    queues.emplace_back(id);
    return &queues.back();
}

void ParameterChanges::add(ParamID id, int32 sampleOffset, ParamValue value)
{
    int32 index = 0;
    int32 pointIndex = 0;
    addParameterData(id, index)->addPoint(sampleOffset, value, pointIndex);
}

ParamValueQueue& ParameterChanges::addSeparateQueue(ParamID id)
{
    queues.emplace_back(id);
    return queues.back();
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e)
{
    if (index < 0 || index >= getEventCount())
        return kInvalidArgument;
    e = events[static_cast<size_t>(index)];
    return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e)
{
    events.push_back(e);
    return kResultOk;
}

void EventList::noteOn(int32 sampleOffset, int16 pitch, float velocity, int32 noteId, int16 channel,
                       float tuning)
{
    Event e{};
    e.sampleOffset = sampleOffset;
    e.type = Event::kNoteOnEvent;
    e.noteOn.channel = channel;
    e.noteOn.pitch = pitch;
    e.noteOn.tuning = tuning;
    e.noteOn.velocity = velocity;
    e.noteOn.length = 0;
    e.noteOn.noteId = noteId;
    events.push_back(e);
}

void EventList::noteOff(int32 sampleOffset, int16 pitch, int32 noteId, int16 channel, float velocity)
{
    Event e{};
    e.sampleOffset = sampleOffset;
    e.type = Event::kNoteOffEvent;
    e.noteOff.channel = channel;
    e.noteOff.pitch = pitch;
    e.noteOff.velocity = velocity;
    e.noteOff.noteId = noteId;
    e.noteOff.tuning = 0.0f;
    events.push_back(e);
}

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
    if (numBytesRead)
        *numBytesRead = 0;
    if (!buffer || numBytes < 0)
        return kInvalidArgument;
    if (failReadsFrom >= 0 && position >= failReadsFrom)
        return kResultFalse;
    const int64 available = std::max<int64>(0, static_cast<int64>(data.size()) - position);
    const int32 count = static_cast<int32>(std::min<int64>(available, numBytes));
    if (count < numBytes && !shortReadsSucceed)
        return kResultFalse;
    if (count > 0)
        std::memcpy(buffer, data.data() + position, static_cast<size_t>(count));
    position += count;
    if (numBytesRead)
        *numBytesRead = count;
    return kResultOk;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
    if (numBytesWritten)
        *numBytesWritten = 0;
    if (!buffer || numBytes < 0)
        return kInvalidArgument;
    if (failWritesFrom >= 0 && position >= failWritesFrom)
        return kResultFalse;
    if (shortWritesFrom >= 0 && position + numBytes > shortWritesFrom)
        numBytes = static_cast<int32>(std::max<int64>(0, shortWritesFrom - position));
    const auto end = static_cast<size_t>(position + numBytes);
    if (end > data.size())
        data.resize(end);
    if (numBytes > 0)
        std::memcpy(data.data() + position, buffer, static_cast<size_t>(numBytes));
    position += numBytes;
    if (numBytesWritten)
        *numBytesWritten = numBytes;
    return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* result)
{
    int64 target = pos;
    if (mode == kIBSeekCur)
        target = position + pos;
    else if (mode == kIBSeekEnd)
        target = static_cast<int64>(data.size()) + pos;
    else if (mode != kIBSeekSet)
        return kInvalidArgument;
    if (target < 0)
        return kResultFalse;
    position = target;
    if (result)
        *result = position;
    return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos)
{
    if (!pos)
        return kInvalidArgument;
    *pos = position;
    return kResultOk;
}

} // namespace talvane::host
