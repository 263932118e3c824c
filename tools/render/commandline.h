// The command line of talvane-render.
#pragma once

#include "tools/render/outputfile.h"
#include "tools/render/renderer.h"
#include "tools/render/rendererror.h"

#include <string>
#include <vector>

namespace talvane::render {

// A command line that cannot be run as given.
class UsageError : public RenderError
{
public:
    using RenderError::RenderError;
};

struct CommandLine
{
    std::string pluginPath;
    std::string midiPath;   // empty with --save-state alone
    std::string outputPath; // empty with --save-state alone
    std::string statePath;
    std::string saveStatePath;
    std::vector<std::string> parameters; // NAME=VALUE, in order
    RenderOptions render;
    SampleFormat format = SampleFormat::Float32;
    bool quiet = false;
    bool help = false;
};

constexpr int kMinSampleRate = 8000;
constexpr int kMaxSampleRate = 384000;
constexpr int kMaxBlockSize = 65536;
constexpr double kMaxTailSeconds = 3600.0;

// The whole number `text` gives for `option`, from `lowest` to `highest`; throws UsageError saying
// what the option needs.
long wholeInRange(const std::string& option, const std::string& text, long lowest, long highest);

// `args` without the program name. Throws UsageError.
CommandLine parseCommandLine(const std::vector<std::string>& args, const std::string& defaultPluginPath);

std::string usageText(const std::string& defaultPluginPath);

} // namespace talvane::render
