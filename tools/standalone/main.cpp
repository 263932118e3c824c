// talvane: the Talvane instrument played live from MIDI, through JACK or ALSA, with its editor in a
// window of its own.
#include "tools/render/commandline.h"
#include "tools/render/outputfile.h"
#include "tools/render/pluginsession.h"
#include "tools/standalone/audiobackend.h"
#include "tools/standalone/editforwarder.h"
#include "tools/standalone/liveplayer.h"
#include "tools/standalone/options.h"
#include "tools/standalone/sound.h"

#include "host/editorwindow_x11.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

#ifndef TALVANE_DEFAULT_PLUGIN
#define TALVANE_DEFAULT_PLUGIN "Talvane.vst3"
#endif
#ifndef TALVANE_INSTALLED_PLUGIN
#define TALVANE_INSTALLED_PLUGIN TALVANE_DEFAULT_PLUGIN
#endif

using namespace talvane;
using namespace talvane::standalone;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr auto kLoopStep = std::chrono::milliseconds(20);
constexpr auto kTitleInterval = std::chrono::milliseconds(250);
constexpr double kMillisecondsPerSecond = 1000.0;

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int /*signal*/)
{
    interrupted = 1;
}

void installSignalHandlers()
{
    struct sigaction action{};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void say(const std::string& line)
{
    std::fprintf(stderr, "talvane: %s\n", line.c_str());
}

// The bundle of the build tree the program came from, else the one installed with it, else the
// one a user install puts in ~/.vst3.
std::string defaultPluginPath()
{
    struct stat info{};
    for (const char* path : {TALVANE_DEFAULT_PLUGIN, TALVANE_INSTALLED_PLUGIN})
        if (stat(path, &info) == 0)
            return path;
    const char* home = std::getenv("HOME");
    return home ? std::string(home) + "/.vst3/Talvane.vst3" : std::string(TALVANE_DEFAULT_PLUGIN);
}

std::unique_ptr<AudioBackend> openBackend(const Options& options)
{
    switch (options.audio)
    {
    case AudioSystem::Jack:
        return openJack(options.request);
    case AudioSystem::Alsa:
        return openAlsa(options.request);
    case AudioSystem::Automatic:
        break;
    }
    if (!options.request.device.empty())
        return openAlsa(options.request);
    std::string jackFailure;
    try
    {
        return openJack(options.request);
    }
    catch (const BackendError& e)
    {
        jackFailure = e.what();
    }
    try
    {
        return openAlsa(options.request);
    }
    catch (const BackendError& e)
    {
        throw BackendError(jackFailure + "; and " + e.what());
    }
}

int listDevices(const Options& options)
{
    if (options.audio != AudioSystem::Alsa)
    {
        try
        {
            std::fputs(listJackDevices().c_str(), stdout);
        }
        catch (const BackendError& e)
        {
            std::printf("JACK: %s\n", e.what());
        }
    }
    if (options.audio != AudioSystem::Jack)
        std::fputs(listAlsaDevices().c_str(), stdout);
    return 0;
}

// The sound to start from: the one asked for, else the one of the last run.
void chooseStartingSound(render::PluginSession& session, const Options& options, EditQueue& edits)
{
    if (!options.statePath.empty())
    {
        session.loadState(render::readWholeFile(options.statePath), options.statePath);
        return;
    }
    if (!options.presetName.empty())
    {
        edits.push(selectFactorySound(session.controller(), options.presetName));
        return;
    }
    const std::string directory = configDirectory();
    try
    {
        restoreLastSound(session, directory);
    }
    catch (const render::RenderError& e)
    {
        say(std::string(e.what()) + "; starting from the default sound");
    }
}

// Runs until the window closes, a signal comes or the audio stops for good; answers whether it
// ended because the audio failed.
bool play(render::PluginSession& session, AudioBackend& backend, EditQueue& controllerUpdates,
          host::X11EditorWindow* window)
{
    auto nextTitle = std::chrono::steady_clock::now();
    std::string title;
    while (!interrupted)
    {
        if (window)
        {
            if (!window->run(kLoopStep))
                return false;
            if (std::chrono::steady_clock::now() >= nextTitle)
            {
                const std::string now = windowTitle(session.controller());
                if (now != title)
                    window->setTitle(title = now);
                nextTitle += kTitleInterval;
            }
        }
        else
        {
            std::this_thread::sleep_for(kLoopStep);
        }
        ParameterEdit update;
        while (controllerUpdates.pop(update))
            session.controller().setParamNormalized(update.id, update.value);
        for (const std::string& notice : backend.takeNotices())
            say(notice);
        if (backend.failed())
            return true;
    }
    return false;
}

int run(const std::vector<std::string>& args)
{
    const std::string defaultPlugin = defaultPluginPath();
    const Options options = parseOptions(args, defaultPlugin);
    if (options.help)
    {
        std::fputs(usageText(defaultPlugin).c_str(), stdout);
        return 0;
    }
    if (options.listDevices)
        return listDevices(options);

    // Kept loaded until the program exits, as hosts do (see talvane-render).
    static host::PluginModule* module = nullptr;
    module = render::loadPluginModule(options.pluginPath).release();
    EditQueue edits(kEditQueueCapacity);
    EditQueue controllerUpdates(kEditQueueCapacity);
    // Made before the session: the controller holds on to it until it is terminated.
    EditForwarder forwarder(edits);
    render::PluginSession session(*module);
    chooseStartingSound(session, options, edits);
    session.controller().setComponentHandler(&forwarder);

    std::unique_ptr<AudioBackend> backend = openBackend(options);
    bool audioFailed = false;
    {
        LivePlayer player(session, backend->sampleRate(),
                          static_cast<Steinberg::int32>(std::max<std::uint32_t>(backend->bufferFrames(), kMaxBufferFrames)),
                          edits, controllerUpdates);
        backend->start(player);
        for (const std::string& notice : backend->takeNotices())
            say(notice);
        const double rate = backend->sampleRate();
        const std::uint32_t latency = backend->latencyFrames() + player.latencyFrames();
        char line[512];
        std::snprintf(line, sizeof line, "playing \"%s\" on %s at %.0f Hz, buffer %u frames, latency %.1f ms (%u frames)",
                      soundName(session.controller()).c_str(), backend->deviceName().c_str(), rate,
                      backend->bufferFrames(), latency * kMillisecondsPerSecond / rate, latency);
        say(line);

        std::unique_ptr<host::X11EditorWindow> window;
        Steinberg::IPlugView* view = nullptr;
        if (options.showEditor)
        {
            view = session.controller().createView(Steinberg::Vst::ViewType::kEditor);
            window = std::make_unique<host::X11EditorWindow>();
            if (!window->open(view, windowTitle(session.controller())))
            {
                const std::string reason = window->error();
                window.reset();
                if (view)
                    view->release();
                backend->stop();
                throw render::RenderError(reason + " (--no-gui plays without the editor)");
            }
        }
        audioFailed = play(session, *backend, controllerUpdates, window.get());
        if (window)
            window->close();
        if (view)
            view->release();
        backend->stop();
    }
    session.controller().setComponentHandler(nullptr);
    for (const std::string& notice : backend->takeNotices())
        say(notice);
    const std::string directory = configDirectory();
    if (!directory.empty())
        saveLastSound(session, directory);
    say("stopped; " + std::to_string(backend->xruns()) + " audio drop-outs (xruns)");
    return audioFailed ? kExitFailure : 0;
}

} // namespace

int main(int argc, char** argv)
{
    installSignalHandlers();
    try
    {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const render::UsageError& e)
    {
        say(e.what());
        return kExitUsage;
    }
    catch (const std::exception& e)
    {
        say(e.what());
        return kExitFailure;
    }
}
