#pragma once

namespace talvane::testing {

// A reference bound to null, the way a careless host passes one through the VST 3 interfaces.
// Built outside the sanitizer's reach so that the plug-in's own guard is what gets tested.
template <typename T>
__attribute__((no_sanitize_undefined)) T& nullReference()
{
    T* pointer = nullptr;
    asm volatile("" : "+r"(pointer));
    return *pointer;
}

} // namespace talvane::testing
