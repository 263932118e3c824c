#include "tools/render/pluginsession.h"

#include "tools/render/rendererror.h"

namespace talvane::render {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
// The block that carries settings into a processor: long enough for its first sub-block, where
// changes at offset 0 take effect, to be rendered within it.
constexpr int32 kSettingsBlock = 64;
constexpr double kSettingsSampleRate = 44100.0;
} // namespace

std::unique_ptr<host::PluginModule> loadPluginModule(const std::string& path)
{
    auto module = std::make_unique<host::PluginModule>();
    if (!module->load(path))
        throw RenderError(module->error());
    return module;
}

PluginSession::PluginSession(host::PluginModule& module)
{
    if (!instance.create(module.factory()))
        throw RenderError("cannot create the plug-in: " + instance.error());
    if (!instance.controller())
        throw RenderError("the plug-in has no edit controller");
}

void PluginSession::loadState(const StateBytes& state, const std::string& origin)
{
    host::MemoryStream stream(state);
    if (componentStateRefused(stream))
        throw RenderError(origin + " is not a state the plug-in accepts");
    int64 position = 0;
    stream.tell(&position);
    if (position != static_cast<int64>(state.size()))
        throw RenderError(origin + " is not a state of this plug-in (" +
                          std::to_string(static_cast<int64>(state.size()) - position) +
                          " bytes after the state it read)");
    stream.rewind();
    instance.controller()->setComponentState(&stream);
}

bool PluginSession::componentStateRefused(host::MemoryStream& stream)
{
    stream.rewind();
    return instance.component()->setState(&stream) != kResultOk;
}

StateBytes PluginSession::saveState()
{
    host::MemoryStream stream;
    if (!instance.saveState(stream))
        throw RenderError("the plug-in did not save its state");
    return stream.bytes();
}

StateBytes stateWithSettings(host::PluginModule& module, const StateBytes& base,
                             const std::string& baseOrigin, const std::vector<std::string>& assignments)
{
    PluginSession session(module);
    if (!base.empty())
        session.loadState(base, baseOrigin);
    const std::vector<ParameterSetting> settings =
        resolveParameterSettings(session.controller(), assignments);
    if (session.plugin().setup(kSettingsSampleRate, kSettingsBlock) != kResultOk)
        throw RenderError("the plug-in refuses to process");
    host::AudioProcessRunner runner(&session.processor(), kSettingsBlock, kSettingsSampleRate);
    runner.keepRendered = false;
    for (const ParameterSetting& setting : settings)
    {
        runner.parameterChanges.add(setting.id, 0, setting.normalized);
        session.controller().setParamNormalized(setting.id, setting.normalized);
    }
    if (runner.process(kSettingsBlock) != kResultOk)
        throw RenderError("the plug-in failed to process");
    session.plugin().stop();
    return session.saveState();
}

} // namespace talvane::render
