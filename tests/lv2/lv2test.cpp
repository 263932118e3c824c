#include "lv2/lv2test.h"

#include <dirent.h>
#include <dlfcn.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace talvane::testing {

namespace {

// The events of one block [start, start + length), by kind.
template <typename Event>
std::vector<const Event*> eventsIn(const std::vector<Event>& events, std::int64_t start, std::int32_t length)
{
    std::vector<const Event*> found;
    for (const Event& e : events)
        if (e.frame >= start && e.frame < start + length)
            found.push_back(&e);
    return found;
}

template <typename Event>
std::vector<const Event*> eventsAt(const std::vector<Event>& events, std::int64_t start)
{
    std::vector<const Event*> found;
    for (const Event& e : events)
        if (e.frame == start)
            found.push_back(&e);
    return found;
}

struct StateCapture
{
    SavedLv2State* saved;
    host::UridMap* urids;
};

LV2_State_Status storeProperty(LV2_State_Handle handle, uint32_t key, const void* value, size_t size,
                               uint32_t type, uint32_t flags)
{
    auto* capture = static_cast<StateCapture*>(handle);
    const auto* bytes = static_cast<const std::uint8_t*>(value);
    capture->saved->bytes.assign(bytes, bytes + size);
    capture->saved->key = capture->urids->unmap(key) ? capture->urids->unmap(key) : "";
    capture->saved->type = capture->urids->unmap(type) ? capture->urids->unmap(type) : "";
    capture->saved->flags = flags;
    return LV2_STATE_SUCCESS;
}

struct StateSource
{
    const std::vector<std::uint8_t>* bytes;
    uint32_t key;
    uint32_t type;
};

const void* retrieveProperty(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                             uint32_t* flags)
{
    auto* source = static_cast<StateSource*>(handle);
    if (key != source->key)
        return nullptr;
    *size = source->bytes->size();
    *type = source->type;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return source->bytes->data();
}

} // namespace

Rendering renderThroughLv2(const Performance& performance)
{
    Rendering result;
    host::Lv2Instance instance(lv2World(), lv2Urids());
    if (!instance.create(kLv2PluginUri, performance.sampleRate, performance.lv2MaxBlock,
                         performance.lv2ToldBlockLength))
    {
        result.error = instance.error();
        return result;
    }
    if (!performance.state.empty() && restoreLv2State(instance, performance.state) != LV2_STATE_SUCCESS)
    {
        result.error = "the LV2 plug-in refused the state";
        return result;
    }
    std::int64_t start = 0;
    for (const std::int32_t frames : performance.lv2Runs)
    {
        for (const auto* change : eventsAt(performance.portChanges, start))
            instance.setControl(change->port, change->value);
        for (const auto* tempo : eventsAt(performance.tempos, start))
            instance.position(0, tempo->beatsPerMinute);
        for (const auto* note : eventsIn(performance.notes, start, frames))
        {
            if (note->velocity > 0)
                instance.noteOn(note->frame - start, note->pitch, note->velocity);
            else
                instance.noteOff(note->frame - start, note->pitch);
        }
        for (const auto* controller : eventsIn(performance.controllers, start, frames))
            instance.midi(controller->frame - start, controller->bytes);
        instance.run(static_cast<uint32_t>(frames));
        start += frames;
    }
    result.left = std::move(instance.renderedLeft);
    result.right = std::move(instance.renderedRight);
    return result;
}

Rendering renderThroughVst3(const Performance& performance)
{
    Rendering result;
    host::PluginInstance plugin;
    if (!plugin.create(loadedModule().factory()))
    {
        result.error = plugin.error();
        return result;
    }
    const std::vector<std::int32_t>& blocks =
        performance.vst3Blocks.empty() ? performance.lv2Runs : performance.vst3Blocks;
    const std::int32_t maxBlock = *std::max_element(blocks.begin(), blocks.end());
    if (plugin.setup(performance.sampleRate, std::max(maxBlock, 1)) != kResultOk)
    {
        result.error = "the VST 3 processor refused the set-up";
        return result;
    }
    if (!performance.state.empty())
    {
        host::MemoryStream stream(performance.state);
        if (!plugin.loadState(stream))
        {
            result.error = "the VST 3 processor refused the state";
            return result;
        }
    }
    host::AudioProcessRunner runner(plugin.processor(), std::max(maxBlock, 1), performance.sampleRate);
    runner.context.state = 0; // no tempo until the host has one
    std::int64_t start = 0;
    for (const std::int32_t frames : blocks)
    {
        for (const auto* change : eventsAt(performance.portChanges, start))
            runner.parameterChanges.add(change->port, 0, change->normalized);
        for (const auto* tempo : eventsAt(performance.tempos, start))
        {
            runner.context.state |= ProcessContext::kTempoValid;
            runner.context.tempo = tempo->beatsPerMinute;
        }
        for (const auto* note : eventsIn(performance.notes, start, frames))
        {
            const auto offset = static_cast<int32>(note->frame - start);
            if (note->velocity > 0)
                runner.events.noteOn(offset, note->pitch, static_cast<float>(note->velocity) / 127.0f);
            else
                runner.events.noteOff(offset, note->pitch);
        }
        for (const auto* controller : eventsIn(performance.controllers, start, frames))
            if (controller->id != Performance::kUnmapped)
                runner.parameterChanges.add(controller->id, static_cast<int32>(controller->frame - start),
                                        controller->normalized);
        if (runner.process(frames) != kResultOk)
        {
            result.error = "process failed";
            return result;
        }
        start += frames;
    }
    result.left = std::move(runner.renderedLeft);
    result.right = std::move(runner.renderedRight);
    return result;
}

SavedLv2State saveLv2State(host::Lv2Instance& instance)
{
    SavedLv2State saved;
    const auto* state = static_cast<const LV2_State_Interface*>(instance.extensionData(LV2_STATE__interface));
    if (!state)
        return saved;
    StateCapture capture{&saved, &lv2Urids()};
    saved.status = state->save(lilv_instance_get_handle(instance.instance()), storeProperty, &capture,
                               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
    return saved;
}

int restoreLv2State(host::Lv2Instance& instance, const std::vector<std::uint8_t>& bytes, const char* keyUri,
                    const char* typeUri)
{
    const auto* state = static_cast<const LV2_State_Interface*>(instance.extensionData(LV2_STATE__interface));
    if (!state)
        return -1;
    StateSource source{&bytes, lv2Urids().map(keyUri), lv2Urids().map(typeUri)};
    return state->restore(lilv_instance_get_handle(instance.instance()), retrieveProperty, &source, 0, nullptr);
}

long firstDifference(const Rendering& a, const Rendering& b)
{
    const std::size_t length = std::min(a.left.size(), b.left.size());
    for (std::size_t i = 0; i < length; ++i)
        if (std::memcmp(&a.left[i], &b.left[i], sizeof(float)) != 0 ||
            std::memcmp(&a.right[i], &b.right[i], sizeof(float)) != 0)
            return static_cast<long>(i);
    if (a.left.size() != b.left.size() || a.right.size() != b.right.size())
        return static_cast<long>(length);
    return -1;
}

std::vector<std::uint8_t> presetBytes(const std::string& name)
{
    std::ifstream file(std::string(TALVANE_PRESET_DIR) + "/" + name + ".talvane", std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> factorySoundNames()
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(TALVANE_PRESET_DIR))
    {
        const std::string suffix = ".talvane";
        while (const dirent* entry = readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                names.push_back(name.substr(0, name.size() - suffix.size()));
        }
        closedir(dir);
    }
    return names;
}

void keepLv2BinariesLoaded()
{
    for (const char* binary : {"Talvane.so", "Talvane_ui.so"})
        dlopen((lv2BundlePath() + "/" + binary).c_str(), RTLD_NOW | RTLD_LOCAL);
}

} // namespace talvane::testing
