// Loads a VST 3 module from a path the way a host of this system does: load the library, call its
// initialisation hook (ModuleEntry on Linux, InitDll on Windows), GetPluginFactory; and undoes it
// in reverse order.
#pragma once

#include "host/dynamiclibrary.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <string>

namespace talvane::host {

class PluginModule
{
public:
    PluginModule() = default;
    ~PluginModule() { unload(); }
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // Accepts either the module binary itself or a .vst3 bundle directory. On failure returns false
    // and describes the problem in error().
    bool load(const std::string& path);
    void unload();

    Steinberg::IPluginFactory* factory() const { return pluginFactory; }
    // Looks up an exported symbol of the loaded module (nullptr if absent).
    void* symbol(const char* name) const;
    const std::string& error() const { return lastError; }
    const std::string& path() const { return modulePath; }

    static std::string bundleBinaryPath(const std::string& bundlePath);

private:
    DynamicLibrary library;
    bool entered = false;
    Steinberg::IPluginFactory* pluginFactory = nullptr;
    std::string lastError;
    std::string modulePath;
};

} // namespace talvane::host
