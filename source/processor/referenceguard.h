#pragma once

namespace talvane {

// VST 3 passes ProcessSetup and ProcessData by reference, yet hosts have been seen to pass null.
// The optimiser may assume a reference is never null and delete a plain `&ref == nullptr` test;
// routing the address through an empty asm statement hides its origin and keeps the check alive.
template <typename T>
inline bool isNullReference(T& ref)
{
    T* address = &ref;
    asm volatile("" : "+r"(address));
    return address == nullptr;
}

} // namespace talvane
