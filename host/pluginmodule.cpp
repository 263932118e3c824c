#include "host/pluginmodule.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace talvane::host {

namespace {
bool isDirectory(const std::string& path)
{
    struct stat info
    {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string stem(const std::string& bundlePath)
{
    std::string name = bundlePath;
    while (!name.empty() && name.back() == '/')
        name.pop_back();
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    const size_t dot = name.rfind(".vst3");
    return dot == std::string::npos ? name : name.substr(0, dot);
}
} // namespace

std::string PluginModule::bundleBinaryPath(const std::string& bundlePath)
{
    return bundlePath + "/Contents/x86_64-linux/" + stem(bundlePath) + ".so";
}

bool PluginModule::load(const std::string& path)
{
    unload();
    modulePath = isDirectory(path) ? bundleBinaryPath(path) : path;
    handle = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
    {
        const char* reason = dlerror();
        lastError = "cannot load " + modulePath + ": " + (reason ? reason : "unknown error");
        return false;
    }
    using EntryFunction = bool (*)(void*);
    auto entry = reinterpret_cast<EntryFunction>(symbol("ModuleEntry"));
    if (!entry)
    {
        lastError = modulePath + " exports no ModuleEntry";
        unload();
        return false;
    }
    if (!entry(handle))
    {
        lastError = "ModuleEntry of " + modulePath + " failed";
        unload();
        return false;
    }
    entered = true;
    using FactoryFunction = Steinberg::IPluginFactory* (*)();
    auto getFactory = reinterpret_cast<FactoryFunction>(symbol("GetPluginFactory"));
    pluginFactory = getFactory ? getFactory() : nullptr;
    if (!pluginFactory)
    {
        lastError = modulePath + " gives no plug-in factory";
        unload();
        return false;
    }
    return true;
}

void PluginModule::unload()
{
    if (pluginFactory)
    {
        pluginFactory->release();
        pluginFactory = nullptr;
    }
    if (entered)
    {
        using ExitFunction = bool (*)();
        if (auto exitModule = reinterpret_cast<ExitFunction>(symbol("ModuleExit")))
            exitModule();
        entered = false;
    }
    if (handle)
    {
        dlclose(handle);
        handle = nullptr;
    }
}

void* PluginModule::symbol(const char* name) const
{
    return handle ? dlsym(handle, name) : nullptr;
}

} // namespace talvane::host
