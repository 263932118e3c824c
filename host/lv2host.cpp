#include "host/lv2host.h"

#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace talvane::host {

namespace {

constexpr std::size_t kEventBufferBytes = 64 * 1024;
constexpr uint8_t kNoteOnStatus = 0x90;
constexpr uint8_t kNoteOffStatus = 0x80;

LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri)
{
    return static_cast<UridMap*>(handle)->map(uri);
}

const char* unmapUrid(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    return static_cast<UridMap*>(handle)->unmap(urid);
}

} // namespace

// ---- URIDs ----------------------------------------------------------------------------------

UridMap::UridMap()
{
    mapData = {this, mapUri};
    unmapData = {this, unmapUrid};
    mapFeatureEntry = {LV2_URID__map, &mapData};
    unmapFeatureEntry = {LV2_URID__unmap, &unmapData};
}

LV2_URID UridMap::map(const char* uri)
{
    if (!uri)
        return 0;
    const auto found = ids.find(uri);
    if (found != ids.end())
        return found->second;
    uris.emplace_back(uri);
    const auto urid = static_cast<LV2_URID>(uris.size());
    ids.emplace(uri, urid);
    return urid;
}

const char* UridMap::unmap(LV2_URID urid) const
{
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

// ---- world ----------------------------------------------------------------------------------

namespace {

void loadBundle(LilvWorld* world, std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    LilvNode* bundle = lilv_new_file_uri(world, nullptr, path.c_str());
    lilv_world_load_bundle(world, bundle);
    lilv_node_free(bundle);
}

} // namespace

Lv2World::Lv2World(const std::string& bundlePath, const std::vector<std::string>& ontologyBundles)
{
    lilvWorld = lilv_world_new();
    for (const std::string& ontology : ontologyBundles)
        loadBundle(lilvWorld, ontology);
    lilv_world_load_specifications(lilvWorld);
    lilv_world_load_plugin_classes(lilvWorld);
    loadBundle(lilvWorld, bundlePath);
}

Lv2World::~Lv2World()
{
    for (LilvNode* node : nodes)
        lilv_node_free(node);
    lilv_world_free(lilvWorld);
}

const LilvNode* Lv2World::uri(const char* text)
{
    nodes.push_back(lilv_new_uri(lilvWorld, text));
    return nodes.back();
}

const LilvPlugin* Lv2World::plugin(const char* pluginUri) const
{
    LilvNode* node = lilv_new_uri(lilvWorld, pluginUri);
    const LilvPlugin* found = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(lilvWorld), node);
    lilv_node_free(node);
    return found;
}

// ---- instance -------------------------------------------------------------------------------

Lv2Instance::~Lv2Instance()
{
    if (lilvInstance)
    {
        if (active)
            lilv_instance_deactivate(lilvInstance);
        lilv_instance_free(lilvInstance);
    }
}

bool Lv2Instance::create(const char* pluginUri, double sampleRate, int32_t maxBlock, bool tellBlockLength)
{
    lilvPlugin = world.plugin(pluginUri);
    if (!lilvPlugin)
    {
        lastError = std::string("no plug-in ") + pluginUri + " in the bundle";
        return false;
    }
    maxBlockLength = maxBlock;
    const LV2_URID intType = urids.map(LV2_ATOM__Int);
    options[0] = {LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), intType,
                  &maxBlockLength};
    options[1] = {LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_BUF_SIZE__nominalBlockLength), sizeof(int32_t), intType,
                  &maxBlockLength};
    options[2] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    optionsFeature = {LV2_OPTIONS__options, options};
    features = {urids.mapFeature(), urids.unmapFeature()};
    if (tellBlockLength)
        features.push_back(&optionsFeature);
    features.push_back(nullptr);

    lilvInstance = lilv_plugin_instantiate(lilvPlugin, sampleRate, features.data());
    if (!lilvInstance)
    {
        lastError = "the plug-in refused to instantiate";
        return false;
    }

    const uint32_t count = lilv_plugin_get_num_ports(lilvPlugin);
    controls.assign(count, 0.0f);
    audio.assign(count, {});
    std::vector<float> defaults(count, NAN);
    lilv_plugin_get_port_ranges_float(lilvPlugin, nullptr, nullptr, defaults.data());
    const LilvNode* controlClass = world.uri(LV2_CORE__ControlPort);
    const LilvNode* audioClass = world.uri(LV2_CORE__AudioPort);
    const LilvNode* atomClass = world.uri(LV2_ATOM__AtomPort);
    const LilvNode* inputClass = world.uri(LV2_CORE__InputPort);
    eventStorage.assign(kEventBufferBytes / sizeof(uint64_t), 0);
    for (uint32_t i = 0; i < count; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(lilvPlugin, i);
        if (lilv_port_is_a(lilvPlugin, port, controlClass))
        {
            controls[i] = std::isnan(defaults[i]) ? 0.0f : defaults[i];
            lilv_instance_connect_port(lilvInstance, i, &controls[i]);
        }
        else if (lilv_port_is_a(lilvPlugin, port, audioClass))
        {
            audio[i].assign(static_cast<std::size_t>(maxBlock), 0.0f);
            lilv_instance_connect_port(lilvInstance, i, audio[i].data());
            if (!lilv_port_is_a(lilvPlugin, port, inputClass))
                audioOutputs.push_back(i);
        }
        else if (lilv_port_is_a(lilvPlugin, port, atomClass) && lilv_port_is_a(lilvPlugin, port, inputClass))
        {
            eventPort = i;
            lilv_instance_connect_port(lilvInstance, i, eventStorage.data());
        }
        else
        {
            lilv_instance_connect_port(lilvInstance, i, nullptr);
        }
    }
    writeEvents(); // an empty sequence until events are added
    lilv_instance_activate(lilvInstance);
    active = true;
    return true;
}

uint32_t Lv2Instance::portIndex(const char* symbol) const
{
    LilvNode* node = lilv_new_string(world.world(), symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(lilvPlugin, node);
    lilv_node_free(node);
    return port ? lilv_port_get_index(lilvPlugin, port) : UINT32_MAX;
}

void Lv2Instance::midi(int64_t frame, std::vector<uint8_t> bytes)
{
    pending.push_back({frame, urids.map(LV2_MIDI__MidiEvent), std::move(bytes)});
}

void Lv2Instance::noteOn(int64_t frame, uint8_t pitch, uint8_t velocity, uint8_t channel)
{
    midi(frame, {static_cast<uint8_t>(kNoteOnStatus | channel), pitch, velocity});
}

void Lv2Instance::noteOff(int64_t frame, uint8_t pitch, uint8_t channel)
{
    midi(frame, {static_cast<uint8_t>(kNoteOffStatus | channel), pitch, 0});
}

void Lv2Instance::position(int64_t frame, double beatsPerMinute, double speed)
{
    PendingEvent event{frame, urids.map(LV2_TIME__Position), {}};
    event.beatsPerMinute = beatsPerMinute;
    event.speed = speed;
    pending.push_back(std::move(event));
}

void Lv2Instance::writeEvents()
{
    // In time order, those at one frame in the order they were added, as a sequence must be.
    std::stable_sort(pending.begin(), pending.end(),
                     [](const PendingEvent& a, const PendingEvent& b) { return a.frame < b.frame; });
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, urids.mapFeatureData());
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(eventStorage.data()), kEventBufferBytes);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    const LV2_URID midiType = urids.map(LV2_MIDI__MidiEvent);
    for (const PendingEvent& event : pending)
    {
        lv2_atom_forge_frame_time(&forge, event.frame);
        if (event.type == midiType)
        {
            lv2_atom_forge_atom(&forge, static_cast<uint32_t>(event.body.size()), midiType);
            lv2_atom_forge_write(&forge, event.body.data(), static_cast<uint32_t>(event.body.size()));
            continue;
        }
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_object(&forge, &object, 0, event.type);
        lv2_atom_forge_key(&forge, urids.map(LV2_TIME__beatsPerMinute));
        lv2_atom_forge_float(&forge, static_cast<float>(event.beatsPerMinute));
        lv2_atom_forge_key(&forge, urids.map(LV2_TIME__speed));
        lv2_atom_forge_float(&forge, static_cast<float>(event.speed));
        lv2_atom_forge_pop(&forge, &object);
    }
    lv2_atom_forge_pop(&forge, &sequence);
    pending.clear();
}

const LV2_Atom_Sequence* Lv2Instance::eventBuffer() const
{
    return reinterpret_cast<const LV2_Atom_Sequence*>(eventStorage.data());
}

void Lv2Instance::run(uint32_t frames)
{
    prepareRun();
    lilv_instance_run(lilvInstance, frames);
    finishRun(frames);
}

void Lv2Instance::prepareRun()
{
    writeEvents();
}

void Lv2Instance::finishRun(uint32_t frames)
{
    // The sequence is consumed; the next run starts empty unless events are added.
    writeEvents();
    if (!keepRendered || audioOutputs.size() < 2)
        return;
    const std::vector<float>& left = audio[audioOutputs[0]];
    const std::vector<float>& right = audio[audioOutputs[1]];
    renderedLeft.insert(renderedLeft.end(), left.begin(), left.begin() + frames);
    renderedRight.insert(renderedRight.end(), right.begin(), right.begin() + frames);
}

const void* Lv2Instance::extensionData(const char* uri) const
{
    return lilv_instance_get_extension_data(lilvInstance, uri);
}

const void* Lv2Instance::portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type)
{
    auto* instance = static_cast<Lv2Instance*>(self);
    const uint32_t index = instance->portIndex(symbol);
    const LilvPort* port = lilv_plugin_get_port_by_index(instance->lilvPlugin, index);
    if (!port || !lilv_port_is_a(instance->lilvPlugin, port, instance->world.uri(LV2_CORE__InputPort)) ||
        !lilv_port_is_a(instance->lilvPlugin, port, instance->world.uri(LV2_CORE__ControlPort)))
    {
        *size = 0;
        *type = 0;
        return nullptr;
    }
    *size = sizeof(float);
    *type = instance->urids.map(LV2_ATOM__Float);
    return &instance->controls[index];
}

void Lv2Instance::setPortValue(const char* symbol, void* self, const void* value, uint32_t size, uint32_t type)
{
    auto* instance = static_cast<Lv2Instance*>(self);
    const uint32_t index = instance->portIndex(symbol);
    if (index >= instance->controls.size() || size != sizeof(float) ||
        type != instance->urids.map(LV2_ATOM__Float))
        return;
    std::memcpy(&instance->controls[index], value, sizeof(float));
}

LilvState* Lv2Instance::saveState()
{
    return lilv_state_new_from_instance(lilvPlugin, lilvInstance, urids.mapFeatureData(), nullptr, nullptr,
                                        nullptr, nullptr, portValue, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                        features.data());
}

void Lv2Instance::restoreState(const LilvState* state)
{
    lilv_state_restore(state, lilvInstance, setPortValue, this, 0, features.data());
}

} // namespace talvane::host
