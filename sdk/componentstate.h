// A VST 3 component's state carried in a format's own byte blob (a VST 2 chunk, an LV2 state
// property): saved into bytes, and loaded from bytes so that a blob the component refuses leaves
// it as it was.
#pragma once

#include "sdk/refcounting.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/common/memorystream.h"

#include <vector>

namespace Steinberg {
namespace Vst {

// A read-only stream over a blob that, unlike a lenient memory stream, fails any read that would
// run past the blob's end.
class ChunkReader : public OwnerManaged<IBStream>
{
public:
    ChunkReader(const void* data, int64 size) : bytes(static_cast<const char*>(data)), size(size) {}

    bool readToEnd() const { return position == size; }

    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override;
    tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override;
    tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override;
    tresult PLUGIN_API tell(int64* pos) override;

private:
    const char* bytes;
    int64 size;
    int64 position = 0;
};

// The component's state as it is, kept to be put back when a new one turns out bad: the component
// may have taken part of a bad state before noticing.
class ComponentStateBackup
{
public:
    explicit ComponentStateBackup(IComponent& component);
    ComponentStateBackup(const ComponentStateBackup&) = delete;
    ComponentStateBackup& operator=(const ComponentStateBackup&) = delete;

    void restore();

private:
    IComponent& component;
    MemoryStream saved;
    bool haveSaved;
};

// The component's state (getState) as bytes; false, and `bytes` empty, if it gives none.
bool saveComponentState(IComponent& component, std::vector<char>& bytes);

// Loads `size` bytes as the component's state (setState). A state the component refuses, or one it
// takes without reading to its end, is undone: the component gets back the state it had (it may
// have taken part of the bad one before noticing), and the answer is false.
bool loadComponentState(IComponent& component, const void* data, int64 size);

} // namespace Vst
} // namespace Steinberg
