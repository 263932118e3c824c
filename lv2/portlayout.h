// The LV2 plug-in's identity and port layout. Hosts save projects by the plug-in's URI and by port
// symbols (and some by port indices), so none of these may ever change: new ports go after the
// last one.
#pragma once

#include "source/params/paramids.h"

#include <cstdint>

namespace talvane::lv2 {

#define TALVANE_LV2_PLUGIN_URI "https://talvane.audio/lv2/talvane"

constexpr const char* kPluginUri = TALVANE_LV2_PLUGIN_URI;
constexpr const char* kUiUri = TALVANE_LV2_PLUGIN_URI "#ui";
// The key under which the state extension keeps the processor's saved state.
constexpr const char* kStateKeyUri = TALVANE_LV2_PLUGIN_URI "#state";

constexpr const char* kPluginName = "Talvane";
// The bundle's files.
constexpr const char* kBundleName = "Talvane.lv2";
constexpr const char* kPluginBinary = "Talvane.so";
constexpr const char* kUiBinary = "Talvane_ui.so";
constexpr const char* kManifestFile = "manifest.ttl";
constexpr const char* kPluginDataFile = "Talvane.ttl";
constexpr const char* kUiDataFile = "Talvane_ui.ttl";
constexpr const char* kPresetDataFile = "presets.ttl";
// A factory sound's preset is this followed by the sound's name made a symbol ("Warm_Pad"); hosts
// keep the preset a project last loaded by its URI.
constexpr const char* kPresetUriBase = TALVANE_LV2_PLUGIN_URI "/preset/";

// Ports 0..146 are the parameters, port index = parameter ID; then the fixed ports below.
constexpr std::uint32_t kParameterPortCount = 147;
static_assert(kParameterPortCount == static_cast<std::uint32_t>(kNumParams),
              "a new parameter gets a port after the latency port, never before it");
constexpr std::uint32_t kEventsInPort = 147;
constexpr std::uint32_t kLeftOutPort = 148;
constexpr std::uint32_t kRightOutPort = 149;
constexpr std::uint32_t kLatencyPort = 150;
constexpr std::uint32_t kPortCount = 151;

struct FixedPort
{
    std::uint32_t index;
    const char* symbol;
    const char* name;
};

constexpr FixedPort kEventsIn{kEventsInPort, "events_in", "Events In"};
constexpr FixedPort kLeftOut{kLeftOutPort, "out_left", "Audio Output Left"};
constexpr FixedPort kRightOut{kRightOutPort, "out_right", "Audio Output Right"};
constexpr FixedPort kLatency{kLatencyPort, "latency", "Latency"};

inline bool isParameterPort(std::uint32_t port)
{
    return port < kParameterPortCount;
}

} // namespace talvane::lv2
