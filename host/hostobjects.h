// Host-side implementations of the interfaces a VST 3 host hands to a processor: parameter change
// queues, an event list and a memory stream. They are owned by the host (members or locals) and
// their reference counting does not delete them, as with the SDK's HostApplication.
#pragma once

#include "sdk/refcounting.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <cstdint>
#include <vector>

namespace talvane::host {

using namespace Steinberg;
using namespace Steinberg::Vst;

class ParamValueQueue final : public OwnerManaged<IParamValueQueue>
{
public:
    explicit ParamValueQueue(ParamID id) : paramId(id) {}

    ParamID PLUGIN_API getParameterId() override { return paramId; }
    int32 PLUGIN_API getPointCount() override { return static_cast<int32>(points.size()); }
    tresult PLUGIN_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) override;
    tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32& index) override;

    // Test hooks: make getPoint fail at one index, as a misbehaving host might.
    int32 failingPoint = -1;

private:
    struct Point
    {
        int32 offset;
        ParamValue value;
    };
    ParamID paramId;
    std::vector<Point> points;
};

class ParameterChanges : public OwnerManaged<IParameterChanges>
{
public:
    int32 PLUGIN_API getParameterCount() override { return static_cast<int32>(queues.size()); }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) override;
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) override;

    // Appends a point to the queue of `id` (creating the queue on first use, as hosts do).
    void add(ParamID id, int32 sampleOffset, ParamValue value);
    // Adds a queue of its own even if one for `id` exists: hosts may send two queues for one ID.
    ParamValueQueue& addSeparateQueue(ParamID id);
    void clear() { queues.clear(); }
    bool empty() const { return queues.empty(); }

private:
    std::vector<ParamValueQueue> queues;
};

class EventList : public OwnerManaged<IEventList>
{
public:
    int32 PLUGIN_API getEventCount() override { return static_cast<int32>(events.size()); }
    tresult PLUGIN_API getEvent(int32 index, Event& e) override;
    tresult PLUGIN_API addEvent(Event& e) override;

    void noteOn(int32 sampleOffset, int16 pitch, float velocity, int32 noteId = -1, int16 channel = 0,
                float tuning = 0.0f);
    void noteOff(int32 sampleOffset, int16 pitch, int32 noteId = -1, int16 channel = 0,
                 float velocity = 0.0f);
    void clear() { events.clear(); }
    bool empty() const { return events.empty(); }

private:
    std::vector<Event> events;
};

// A growable in-memory IBStream whose behaviour can be degraded for tests: it can fail every read
// or write from a byte position on, or report success while moving fewer bytes than asked.
class MemoryStream : public OwnerManaged<IBStream>
{
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : data(std::move(bytes)) {}

    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override;
    tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override;
    tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override;
    tresult PLUGIN_API tell(int64* pos) override;

    const std::vector<std::uint8_t>& bytes() const { return data; }
    void rewind() { position = 0; }

    int64 failReadsFrom = -1;       // reads starting at or after this position answer kResultFalse
    bool shortReadsSucceed = false; // a read past the end answers kResultOk with fewer bytes
    int64 failWritesFrom = -1;      // writes starting at or after this position answer kResultFalse
    int64 shortWritesFrom =
        -1; // a write past this position stores only the bytes before it, answering kResultOk

private:
    std::vector<std::uint8_t> data;
    int64 position = 0;
};

} // namespace talvane::host
