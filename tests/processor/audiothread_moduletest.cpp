// The audio thread must neither allocate nor lock once the processor is set up. This file replaces
// the program's global operator new and delete and wraps pthread_mutex_lock, so that the built
// module (which binds to them when loaded) is observed while it processes.
#include "support/audiothreadwatch.h"
#include "support/moduletest.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local bool watching = false;
std::atomic<int> allocations{0};
std::atomic<int> locks{0};

void* allocate(std::size_t size)
{
    if (watching)
        ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    if (watching)
        ++allocations;
    const auto align = static_cast<std::size_t>(alignment);
    if (void* p = std::aligned_alloc(align, (size + align - 1) / align * align))
        return p;
    throw std::bad_alloc();
}

// Runs one block with the watch on.
Steinberg::tresult watchedProcess(talvane::host::AudioProcessRunner& runner, Steinberg::int32 n)
{
    watching = true;
    const Steinberg::tresult result = runner.process(n);
    watching = false;
    return result;
}

} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return allocate(size);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    using Lock = int (*)(pthread_mutex_t*);
    static const Lock next = reinterpret_cast<Lock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    if (watching)
        ++locks;
    return next(mutex);
}

namespace talvane::testing {
void beginWatch()
{
    watching = true;
}
void endWatch()
{
    watching = false;
}
int watchedAllocations()
{
    return allocations.load();
}
int watchedLocks()
{
    return locks.load();
}
void resetWatch()
{
    allocations = 0;
    locks = 0;
}
} // namespace talvane::testing

using namespace Steinberg;
using namespace Steinberg::Vst;

// The program-change parameter, by the ID hosts keep in their projects.
constexpr ParamID kProgramChange = 1000;

TEST(AudioThread, NeitherAllocatesNorLocksWhileProcessing)
{
    // The counters see the module at all: a watched allocation inside this program counts.
    watching = true;
    delete new int(1);
    watching = false;
    ASSERT_EQ(allocations.exchange(0), 1);

    talvane::host::PluginInstance plugin;
    ASSERT_TRUE(plugin.create(talvane::testing::loadedModule().factory()));
    constexpr int32 kBlock = 512;
    ASSERT_EQ(plugin.setup(44100.0, kBlock), kResultOk);
    talvane::host::AudioProcessRunner runner(plugin.processor(), kBlock, 44100.0);
    runner.keepRendered = false;

    // A heavy patch, then many blocks of notes, parameter changes, mode changes, program changes
    // and panics.
    const std::pair<ParamID, double> patch[] = {{26, 1.0}, {37, 1.0}, {51, 0.5}, {52, 0.4}, {54, 0.3},
                                                {74, 15.0 / 83}, {89, 7.0 / 83}, {103, 32.0 / 83},
                                                {125, 3.0 / 9}, {128, 2.0 / 83}, {136, 1.0}, {139, 8.0 / 83}};
    for (const auto& [id, value] : patch)
        runner.parameterChanges.add(id, 0, value);
    ASSERT_EQ(watchedProcess(runner, kBlock), kResultOk);
    for (int block = 0; block < 400; ++block)
    {
        const int32 n = block % 7 == 0 ? 100 : kBlock;
        for (int k = 0; k < 3; ++k)
            runner.events.noteOn(k * 30, static_cast<int16>(40 + (block * 5 + k * 7) % 48), 0.7f);
        runner.events.noteOff(10, static_cast<int16>(40 + (block * 5) % 48));
        for (int p = 0; p < 20; ++p)
            runner.parameterChanges.add(static_cast<ParamID>((block + p * 7) % 147), (p * 23) % n,
                                        ((block + p) % 10) / 9.0);
        if (block % 50 == 0)
            runner.parameterChanges.add(63, 0, 1.0); // panic
        if (block % 30 == 0)
            runner.parameterChanges.add(57, 5, (block / 30 % 3) / 2.0); // note mode
        if (block % 40 == 0)
            runner.parameterChanges.add(58, 5, (block / 40 % 16) / 15.0); // polyphony
        if (block % 25 == 0)
            runner.parameterChanges.add(kProgramChange, 7, (block / 25 % 10) / 9.0); // a factory program
        ASSERT_EQ(watchedProcess(runner, n), kResultOk);
    }
    EXPECT_EQ(allocations.load(), 0) << "operator new called on the audio thread";
    EXPECT_EQ(locks.load(), 0) << "a mutex locked on the audio thread";
}
