// What loading a plug-in takes on this system: opening a shared library and finding its symbols
// (dlopen on Linux, LoadLibraryW on Windows), the module hooks that hosts call after loading and
// before unloading (ModuleEntry / ModuleExit on Linux, InitDll / ExitDll on Windows) and where the
// binary sits inside a VST 3 bundle.
#pragma once

#include <string>

namespace talvane::host {

class DynamicLibrary
{
public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { close(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // On failure returns false and describes the problem in `error`.
    bool open(const std::string& path, std::string& error);
    void close();
    bool isOpen() const { return handle != nullptr; }
    // An exported symbol, or null.
    void* symbol(const char* name) const;
    // The system's own handle (dlopen's, or the HMODULE).
    void* nativeHandle() const { return handle; }

private:
    void* handle = nullptr;
};

// Calls the module's initialisation hook as this system's hosts do; false if it has none or it fails.
bool enterModule(const DynamicLibrary& library, std::string& error);
// The matching shutdown hook, if the module has one.
void exitModule(const DynamicLibrary& library);

// The bundle's binary relative to the bundle directory, for a bundle named `stem`.vst3.
std::string bundleBinaryRelativePath(const std::string& stem);

// For names of temporary files that must not clash between test programs running at once.
unsigned long currentProcessId();

} // namespace talvane::host
