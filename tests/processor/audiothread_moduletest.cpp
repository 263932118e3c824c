// The audio thread must neither allocate nor lock once the processor is set up: the built module
// is watched (support/audiothreadwatch.h) while it processes.
#include "support/audiothreadwatch.h"
#include "support/moduletest.h"

namespace {

// Runs one block with the watch on.
Steinberg::tresult watchedProcess(talvane::host::AudioProcessRunner& runner, Steinberg::int32 n)
{
    return talvane::testing::watched([&] { return runner.process(n); });
}

} // namespace

using namespace Steinberg;
using namespace Steinberg::Vst;

// The program-change parameter, by the ID hosts keep in their projects.
constexpr ParamID kProgramChange = 1000;

TEST(AudioThread, NeitherAllocatesNorLocksWhileProcessing)
{
    // The counters see the module at all: a watched allocation inside this program counts.
    talvane::testing::watched(talvane::testing::allocateOnce);
    ASSERT_EQ(talvane::testing::takeAllocationCount(), 1);

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
    EXPECT_EQ(talvane::testing::takeAllocationCount(), 0) << "operator new called on the audio thread";
    EXPECT_EQ(talvane::testing::takeLockCount(), 0) << "a mutex locked on the audio thread";
}
