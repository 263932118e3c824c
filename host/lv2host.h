// A small LV2 host over Debian's lilv, as the tests (and later other programs) use the LV2 bundle:
// it loads a bundle, instantiates a plug-in with the features hosts give (URID map and unmap,
// options with the block length), connects every port to buffers of its own, sets control inputs
// to their defaults, writes MIDI and time:Position events into the event input as an atom
// sequence, runs, and saves and restores state through lilv as Ardour or jalv do.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace talvane::host {

// URIs to numbers and back, for the plug-in and its UI.
class UridMap
{
public:
    UridMap();
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid) const;

    LV2_URID_Map* mapFeatureData() { return &mapData; }
    LV2_URID_Unmap* unmapFeatureData() { return &unmapData; }
    const LV2_Feature* mapFeature() const { return &mapFeatureEntry; }
    const LV2_Feature* unmapFeature() const { return &unmapFeatureEntry; }

private:
    std::unordered_map<std::string, LV2_URID> ids;
    std::vector<std::string> uris; // index urid - 1
    LV2_URID_Map mapData{};
    LV2_URID_Unmap unmapData{};
    LV2_Feature mapFeatureEntry{};
    LV2_Feature unmapFeatureEntry{};
};

// A lilv world that has loaded one plug-in bundle, after the bundles of the LV2 vocabularies its data
// uses (as a host has them from its LV2 path; core.lv2 names the plug-in classes).
class Lv2World
{
public:
    Lv2World(const std::string& bundlePath, const std::vector<std::string>& ontologyBundles);
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    LilvWorld* world() const { return lilvWorld; }
    // Null if the bundle does not describe `uri`.
    const LilvPlugin* plugin(const char* uri) const;
    // A URI node owned by the world, freed with it.
    const LilvNode* uri(const char* text);

private:
    LilvWorld* lilvWorld = nullptr;
    std::vector<LilvNode*> nodes;
};

// One running instance of a plug-in with audio outputs, control ports and one event input.
class Lv2Instance
{
public:
    Lv2Instance(Lv2World& world, UridMap& urids) : world(world), urids(urids) {}
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    // Instantiates, connects and activates, with buffers for runs of up to `maxBlock` frames. The
    // plug-in is told that length as its largest block (buf-size's maxBlockLength option) unless
    // `tellBlockLength` is false, as some hosts leave it.
    bool create(const char* pluginUri, double sampleRate, int32_t maxBlock, bool tellBlockLength = true);
    const std::string& error() const { return lastError; }

    uint32_t portCount() const { return static_cast<uint32_t>(controls.size()); }
    uint32_t portIndex(const char* symbol) const;
    // Control ports: inputs keep what is set until set again; outputs hold what the last run wrote.
    void setControl(uint32_t port, float value) { controls[port] = value; }
    float control(uint32_t port) const { return controls[port]; }

    // Events for the next run, at frames of that run, in any order.
    void midi(int64_t frame, std::vector<uint8_t> bytes);
    void noteOn(int64_t frame, uint8_t pitch, uint8_t velocity, uint8_t channel = 0);
    void noteOff(int64_t frame, uint8_t pitch, uint8_t channel = 0);
    void position(int64_t frame, double beatsPerMinute, double speed = 1.0);

    // Runs `frames` (at most maxBlock) and appends the output to renderedLeft/Right: prepareRun(),
    // the plug-in's run, finishRun(), which a caller may also call around a run of its own.
    void run(uint32_t frames);
    void prepareRun();
    void finishRun(uint32_t frames);
    std::vector<float> renderedLeft, renderedRight;
    bool keepRendered = true;
    // The atom sequence the last run delivered (or the next run will, once events are added).
    const LV2_Atom_Sequence* eventBuffer() const;

    // The state as lilv keeps it: port values and the plug-in's properties. Caller frees it.
    LilvState* saveState();
    // Restores a state: properties through the plug-in, port values into the control inputs.
    void restoreState(const LilvState* state);

    LilvInstance* instance() const { return lilvInstance; }
    const LilvPlugin* plugin() const { return lilvPlugin; }
    const void* extensionData(const char* uri) const;

private:
    struct PendingEvent
    {
        int64_t frame;
        LV2_URID type;
        std::vector<uint8_t> body;   // MIDI bytes
        double beatsPerMinute = 0.0; // for time:Position
        double speed = 0.0;
    };

    void writeEvents();
    static const void* portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type);
    static void setPortValue(const char* symbol, void* self, const void* value, uint32_t size, uint32_t type);

    Lv2World& world;
    UridMap& urids;
    const LilvPlugin* lilvPlugin = nullptr;
    LilvInstance* lilvInstance = nullptr;
    bool active = false;
    int32_t maxBlockLength = 0;
    LV2_Options_Option options[3]{};
    LV2_Feature optionsFeature{};
    std::vector<const LV2_Feature*> features;

    std::vector<float> controls;          // one per port; only control ports use theirs
    std::vector<std::vector<float>> audio; // one per port; only audio ports use theirs
    std::vector<uint32_t> audioOutputs;
    std::vector<uint64_t> eventStorage; // 8-byte aligned atom buffer
    uint32_t eventPort = UINT32_MAX;
    std::vector<PendingEvent> pending;
    std::string lastError;
};

} // namespace talvane::host
