#include "host/dynamiclibrary.h"

#include <dlfcn.h>
#include <unistd.h>

namespace talvane::host {

bool DynamicLibrary::open(const std::string& path, std::string& error)
{
    close();
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle)
        return true;
    const char* reason = dlerror();
    error = "cannot load " + path + ": " + (reason ? reason : "unknown error");
    return false;
}

void DynamicLibrary::close()
{
    if (handle)
        dlclose(handle);
    handle = nullptr;
}

void* DynamicLibrary::symbol(const char* name) const
{
    return handle ? dlsym(handle, name) : nullptr;
}

bool enterModule(const DynamicLibrary& library, std::string& error)
{
    using EntryFunction = bool (*)(void*);
    auto entry = reinterpret_cast<EntryFunction>(library.symbol("ModuleEntry"));
    if (!entry)
    {
        error = "exports no ModuleEntry";
        return false;
    }
    // Linux hosts hand the module its own handle.
    if (!entry(library.nativeHandle()))
    {
        error = "ModuleEntry failed";
        return false;
    }
    return true;
}

void exitModule(const DynamicLibrary& library)
{
    using ExitFunction = bool (*)();
    if (auto exit = reinterpret_cast<ExitFunction>(library.symbol("ModuleExit")))
        exit();
}

std::string bundleBinaryRelativePath(const std::string& stem)
{
    return "Contents/x86_64-linux/" + stem + ".so";
}

unsigned long currentProcessId()
{
    return static_cast<unsigned long>(::getpid());
}

} // namespace talvane::host
