#include "host/pluginmodule.h"

#include <filesystem>

namespace talvane::host {

namespace {
bool isDirectory(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::is_directory(path, ignored);
}

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

std::string stem(const std::string& bundlePath)
{
    std::string name = bundlePath;
    while (!name.empty() && isSeparator(name.back()))
        name.pop_back();
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    const size_t dot = name.rfind(".vst3");
    return dot == std::string::npos ? name : name.substr(0, dot);
}
} // namespace

std::string PluginModule::bundleBinaryPath(const std::string& bundlePath)
{
    return bundlePath + "/" + bundleBinaryRelativePath(stem(bundlePath));
}

bool PluginModule::load(const std::string& path)
{
    unload();
    modulePath = isDirectory(path) ? bundleBinaryPath(path) : path;
    if (!library.open(modulePath, lastError))
        return false;
    std::string reason;
    if (!enterModule(library, reason))
    {
        lastError = modulePath + ": " + reason;
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
        exitModule(library);
        entered = false;
    }
    library.close();
}

void* PluginModule::symbol(const char* name) const
{
    return library.symbol(name);
}

} // namespace talvane::host
