// talvane-render: plays a Standard MIDI File through the Talvane plug-in into a WAV file.
#include "tools/render/commandline.h"
#include "tools/render/midiperformance.h"
#include "tools/render/outputfile.h"
#include "tools/render/pluginsession.h"
#include "tools/render/progressbar.h"
#include "tools/render/renderer.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>

#ifndef TALVANE_DEFAULT_PLUGIN
#define TALVANE_DEFAULT_PLUGIN "Talvane.vst3"
#endif

using namespace talvane::render;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int /*signal*/)
{
    interrupted = 1;
}

const char* formatName(SampleFormat format)
{
    return format == SampleFormat::Float32 ? "32-bit float" : "24-bit";
}

double decibels(float linear)
{
    return linear > 0.0f ? 20.0 * std::log10(static_cast<double>(linear)) : -INFINITY;
}

StateBytes startingState(talvane::host::PluginModule& module, const CommandLine& line)
{
    const StateBytes base = line.statePath.empty() ? StateBytes() : readWholeFile(line.statePath);
    if (line.parameters.empty() && line.saveStatePath.empty())
        return base;
    return stateWithSettings(module, base, line.statePath, line.parameters);
}

void renderToFile(talvane::host::PluginModule& module, const CommandLine& line,
                  const MidiPerformance& performance, const StateBytes& state)
{
    PluginSession session(module);
    if (!state.empty())
        session.loadState(state, line.statePath.empty() ? "the state" : line.statePath);
    WavFileWriter output(line.outputPath, line.render.sampleRate, line.format);
    ProgressBar progress(line.quiet ? nullptr : stderr, line.render.sampleRate);
    const auto started = std::chrono::steady_clock::now();
    const RenderResult result = renderPerformance(session, performance, line.render, output,
                                                  [&](std::int64_t done, std::int64_t total) {
                                                      progress.update(done, total);
                                                      return interrupted == 0;
                                                  });
    progress.finish();
    output.commit();
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double seconds = static_cast<double>(result.frames) / line.render.sampleRate;
    if (result.nonFiniteSamples > 0)
        std::fprintf(stderr, "talvane-render: warning: %lld samples of %s are not finite numbers\n",
                     static_cast<long long>(result.nonFiniteSamples), line.outputPath.c_str());
    if (!line.quiet)
        std::printf("wrote %s: %.2f s, %.0f Hz, %s, peak %.3f (%.1f dBFS), rendered in %.2f s (%.0fx real "
                    "time)\n",
                    line.outputPath.c_str(), seconds, line.render.sampleRate, formatName(line.format),
                    static_cast<double>(result.peak), decibels(result.peak), took,
                    took > 0.0 ? seconds / took : 0.0);
}

// The bundle of the build tree the tool came from, or else the one a user install puts in ~/.vst3.
std::string defaultPluginPath()
{
    struct stat info
    {};
    const char* home = std::getenv("HOME");
    if (stat(TALVANE_DEFAULT_PLUGIN, &info) != 0 && home)
        return std::string(home) + "/.vst3/Talvane.vst3";
    return TALVANE_DEFAULT_PLUGIN;
}

int run(const std::vector<std::string>& args)
{
    const std::string defaultPlugin = defaultPluginPath();
    const CommandLine line = parseCommandLine(args, defaultPlugin);
    if (line.help)
    {
        std::fputs(usageText(defaultPlugin).c_str(), stdout);
        return 0;
    }
    // The MIDI file is read first: its faults are found before the plug-in is loaded.
    const MidiPerformance performance =
        line.midiPath.empty() ? MidiPerformance() : readMidiFile(line.midiPath);
    // Like most hosts, the tool keeps the module loaded until it exits. Unloading it would unload
    // the libraries it brought in as well, and FFTW keeps its planner's memory in its own statics,
    // which a leak checker then takes for lost.
    static talvane::host::PluginModule* module = nullptr;
    module = loadPluginModule(line.pluginPath).release();
    const StateBytes state = startingState(*module, line);
    if (!line.midiPath.empty())
        renderToFile(*module, line, performance, state);
    if (!line.saveStatePath.empty())
    {
        writeFileAtomically(line.saveStatePath, state);
        if (!line.quiet)
            std::printf("saved the state to %s\n", line.saveStatePath.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    try
    {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const UsageError& e)
    {
        std::fprintf(stderr, "talvane-render: %s\n", e.what());
        return kExitUsage;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "talvane-render: %s\n", e.what());
        return kExitFailure;
    }
}
