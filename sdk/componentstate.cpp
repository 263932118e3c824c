#include "sdk/componentstate.h"

#include <cstring>

namespace Steinberg {
namespace Vst {

tresult PLUGIN_API ChunkReader::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
    if (numBytesRead)
        *numBytesRead = 0;
    if (!buffer || numBytes < 0)
        return kInvalidArgument;
    if (numBytes > size - position)
        return kResultFalse;
    std::memcpy(buffer, bytes + position, static_cast<std::size_t>(numBytes));
    position += numBytes;
    if (numBytesRead)
        *numBytesRead = numBytes;
    return kResultOk;
}

tresult PLUGIN_API ChunkReader::write(void* /*buffer*/, int32 /*numBytes*/, int32* numBytesWritten)
{
    if (numBytesWritten)
        *numBytesWritten = 0;
    return kResultFalse;
}

tresult PLUGIN_API ChunkReader::seek(int64 pos, int32 mode, int64* result)
{
    int64 target = pos;
    if (mode == kIBSeekCur)
        target = position + pos;
    else if (mode == kIBSeekEnd)
        target = size + pos;
    else if (mode != kIBSeekSet)
        return kInvalidArgument;
    if (target < 0 || target > size)
        return kResultFalse;
    position = target;
    if (result)
        *result = position;
    return kResultOk;
}

tresult PLUGIN_API ChunkReader::tell(int64* pos)
{
    if (!pos)
        return kInvalidArgument;
    *pos = position;
    return kResultOk;
}

ComponentStateBackup::ComponentStateBackup(IComponent& owner)
    : component(owner), haveSaved(owner.getState(&saved) == kResultOk)
{}

void ComponentStateBackup::restore()
{
    if (!haveSaved)
        return;
    saved.seek(0, IBStream::kIBSeekSet, nullptr);
    component.setState(&saved);
}

bool saveComponentState(IComponent& component, std::vector<char>& bytes)
{
    bytes.clear();
    MemoryStream state;
    if (component.getState(&state) != kResultOk)
        return false;
    int64 size = 0;
    state.tell(&size);
    if (size <= 0)
        return false;
    bytes.assign(state.getData(), state.getData() + size);
    return true;
}

bool loadComponentState(IComponent& component, const void* data, int64 size)
{
    if (!data || size <= 0)
        return false;
    ComponentStateBackup previous(component);
    ChunkReader reader(data, size);
    if (component.setState(&reader) == kResultOk && reader.readToEnd())
        return true;
    previous.restore();
    return false;
}

} // namespace Vst
} // namespace Steinberg
