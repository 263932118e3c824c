#include "host/dynamiclibrary.h"

#include <windows.h>

#include <string>

namespace talvane::host {

namespace {

std::wstring widePath(const std::string& path)
{
    std::wstring wide;
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (length > 1)
    {
        wide.resize(static_cast<std::size_t>(length));
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
        wide.resize(static_cast<std::size_t>(length - 1));
    }
    // LoadLibrary wants backslashes; our paths are written with either.
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    return wide;
}

std::string describe(DWORD code)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string narrow = "error " + std::to_string(code);
    if (text)
    {
        char buffer[512] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
        narrow += std::string(": ") + buffer;
        LocalFree(text);
        while (!narrow.empty() && (narrow.back() == '\n' || narrow.back() == '\r'))
            narrow.pop_back();
    }
    return narrow;
}

} // namespace

bool DynamicLibrary::open(const std::string& path, std::string& error)
{
    close();
    handle = LoadLibraryW(widePath(path).c_str());
    if (handle)
        return true;
    error = "cannot load " + path + ": " + describe(GetLastError());
    return false;
}

void DynamicLibrary::close()
{
    if (handle)
        FreeLibrary(static_cast<HMODULE>(handle));
    handle = nullptr;
}

void* DynamicLibrary::symbol(const char* name) const
{
    if (!handle)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

bool enterModule(const DynamicLibrary& library, std::string& error)
{
    using HookFunction = bool (*)();
    auto init = reinterpret_cast<HookFunction>(library.symbol("InitDll"));
    if (!init)
    {
        error = "exports no InitDll";
        return false;
    }
    if (!init())
    {
        error = "InitDll failed";
        return false;
    }
    return true;
}

void exitModule(const DynamicLibrary& library)
{
    using HookFunction = bool (*)();
    if (auto exit = reinterpret_cast<HookFunction>(library.symbol("ExitDll")))
        exit();
}

std::string bundleBinaryRelativePath(const std::string& stem)
{
    return "Contents/x86_64-win/" + stem + ".vst3";
}

unsigned long currentProcessId()
{
    return GetCurrentProcessId();
}

} // namespace talvane::host
