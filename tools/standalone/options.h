// The command line of talvane, the instrument played live.
#pragma once

#include "tools/render/commandline.h"
#include "tools/standalone/audiobackend.h"

#include <string>
#include <vector>

namespace talvane::standalone {

enum class AudioSystem
{
    Automatic, // JACK where a server runs, else ALSA
    Jack,
    Alsa,
};

struct Options
{
    std::string pluginPath;
    std::string statePath;  // start from this saved state
    std::string presetName; // or from this factory sound
    AudioSystem audio = AudioSystem::Automatic;
    AudioRequest request;
    bool showEditor = true;
    bool listDevices = false;
    bool help = false;
};

// The sample rates the player asks of a device: those the renderer writes files at.
constexpr unsigned kMinSampleRate = render::kMinSampleRate;
constexpr unsigned kMaxSampleRate = render::kMaxSampleRate;
constexpr unsigned kMinBufferFrames = 16;
constexpr unsigned kMaxBufferFrames = 8192;

// `args` without the program name. Throws render::UsageError.
Options parseOptions(const std::vector<std::string>& args, const std::string& defaultPluginPath);

std::string usageText(const std::string& defaultPluginPath);

} // namespace talvane::standalone
