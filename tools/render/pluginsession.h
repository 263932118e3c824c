// The plug-in as the render tools hold it: a loaded module and one processor/controller pair made
// from it, with the host's way of moving the saved state in and out.
#pragma once

#include "host/plugininstance.h"
#include "tools/render/parameteroverrides.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talvane::render {

using StateBytes = std::vector<std::uint8_t>;

// Loads a module (a .vst3 bundle or its .so); throws RenderError naming the path on failure.
std::unique_ptr<host::PluginModule> loadPluginModule(const std::string& path);

class PluginSession
{
public:
    // Creates, initialises and connects the processor and the controller; throws RenderError.
    explicit PluginSession(host::PluginModule& module);
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    Steinberg::Vst::IEditController& controller() const { return *instance.controller(); }
    Steinberg::Vst::IAudioProcessor& processor() const { return *instance.processor(); }
    host::PluginInstance& plugin() { return instance; }

    // Gives the state to the processor and the same bytes to the controller, as a host does when it
    // opens a project. Throws RenderError, naming `origin`, when the processor refuses it or leaves
    // part of it unread.
    void loadState(const StateBytes& state, const std::string& origin);
    StateBytes saveState();

private:
    bool componentStateRefused(host::MemoryStream& stream);

    host::PluginInstance instance;
};

// The state that `base` (empty: the plug-in's defaults) becomes with the NAME=VALUE `assignments`
// applied: they are resolved through the controller, reach a processor as a host's parameter
// changes, and the processor saves the result. Throws RenderError.
StateBytes stateWithSettings(host::PluginModule& module, const StateBytes& base,
                             const std::string& baseOrigin, const std::vector<std::string>& assignments);

} // namespace talvane::render
