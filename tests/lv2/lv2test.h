// Shared set-up of the tests of the LV2 bundle: the built bundle loaded once through lilv, and the
// same music played into the LV2 plug-in and, for comparison, into the VST 3 module as a VST 3 host
// plays it.
#pragma once

#include "host/lv2host.h"
#include "support/moduletest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace talvane::testing {

// The plug-in's identity, fixed forever: hosts save projects by it.
constexpr const char* kLv2PluginUri = "https://talvane.audio/lv2/talvane";
constexpr const char* kLv2UiUri = "https://talvane.audio/lv2/talvane#ui";
constexpr const char* kLv2StateKeyUri = "https://talvane.audio/lv2/talvane#state";
constexpr std::uint32_t kLv2PortCount = 151;
constexpr std::uint32_t kEventsInPort = 147;
constexpr std::uint32_t kLatencyPort = 150;

// The bundle under test: TALVANE_LV2_BUNDLE overrides the path the build configured.
inline const std::string& lv2BundlePath()
{
    static const std::string path = [] {
        const char* overridePath = std::getenv("TALVANE_LV2_BUNDLE");
        return std::string(overridePath ? overridePath : TALVANE_LV2_BUNDLE_PATH);
    }();
    return path;
}

// Loads the plug-in's two binaries once more and keeps them for the whole program, as the tests
// keep the VST 3 module: the libraries they bring (FFTW, fontconfig) keep process-wide caches,
// which the leak check would report as lost whenever lilv unloaded the last instance with them.
void keepLv2BinariesLoaded();

// One world and one URID map for the whole program, as a host keeps them.
inline host::Lv2World& lv2World()
{
    static auto* world = [] {
        keepLv2BinariesLoaded();
        return new host::Lv2World(lv2BundlePath(), {std::string(TALVANE_LV2_ONTOLOGY_DIR) + "/core.lv2"});
    }();
    return *world;
}

inline host::UridMap& lv2Urids()
{
    static auto* urids = new host::UridMap();
    return *urids;
}

// What a host plays, by absolute frame. Port changes and tempos take effect at the start of the
// block beginning at their frame (a VST 3 host sends them at offset 0 of that block); notes and MIDI
// controllers at their own frame.
struct Performance
{
    struct Note
    {
        std::int64_t frame;
        std::uint8_t pitch;
        std::uint8_t velocity; // 0: note-off
    };
    // A port's new value and the normalized value a VST 3 host sends for the same setting.
    struct PortChange
    {
        std::int64_t frame;
        std::uint32_t port;
        float value;
        double normalized;
    };
    // A MIDI controller message and the parameter change a VST 3 host sends for it through the
    // controller's MIDI mapping.
    static constexpr Steinberg::Vst::ParamID kUnmapped = 0xFFFFFFFFu; // the mapping drives nothing
    struct Controller
    {
        std::int64_t frame;
        std::vector<std::uint8_t> bytes;
        Steinberg::Vst::ParamID id;
        double normalized;
    };
    struct Tempo
    {
        std::int64_t frame;
        double beatsPerMinute;
    };

    double sampleRate = 44100.0;
    std::int32_t lv2MaxBlock = 512;   // the host's largest run
    bool lv2ToldBlockLength = true;   // whether the host tells the plug-in that length
    std::vector<std::int32_t> lv2Runs;   // frames per run()
    std::vector<std::int32_t> vst3Blocks; // frames per process(); empty: as lv2Runs
    std::vector<Note> notes;
    std::vector<PortChange> portChanges;
    std::vector<Controller> controllers;
    std::vector<Tempo> tempos;
    std::vector<std::uint8_t> state; // loaded before playing, if not empty

    // The same block of `frames` `count` times.
    static std::vector<std::int32_t> blocks(std::int32_t frames, int count)
    {
        return std::vector<std::int32_t>(static_cast<std::size_t>(count), frames);
    }
};

struct Rendering
{
    std::vector<float> left, right;
    std::string error;
};

Rendering renderThroughLv2(const Performance& performance);
Rendering renderThroughVst3(const Performance& performance);

// The 600 bytes of a saved state through the LV2 state extension, called as lilv calls it.
struct SavedLv2State
{
    std::vector<std::uint8_t> bytes;
    std::string key;
    std::string type;
    std::uint32_t flags = 0;
    int status = -1;
};
SavedLv2State saveLv2State(host::Lv2Instance& instance);
// Answers the LV2_State_Status of restore() with `bytes` as the value of `keyUri` of type `typeUri`.
int restoreLv2State(host::Lv2Instance& instance, const std::vector<std::uint8_t>& bytes,
                    const char* keyUri = kLv2StateKeyUri,
                    const char* typeUri = "http://lv2plug.in/ns/ext/atom#Chunk");

// The first sample at which two renderings differ, or -1 when they are identical (length too).
long firstDifference(const Rendering& a, const Rendering& b);

// A factory sound from presets/, as saved state bytes.
std::vector<std::uint8_t> presetBytes(const std::string& name);
// The names of the factory sounds in presets/.
std::vector<std::string> factorySoundNames();

} // namespace talvane::testing
