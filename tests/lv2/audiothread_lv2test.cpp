// run() neither allocates nor locks: the LV2 plug-in is watched (support/audiothreadwatch.h) while it
// plays notes, controllers, port changes, tempo changes and runs longer than its block.
#include "lv2/lv2test.h"
#include "support/audiothreadwatch.h"

#include <lilv/lilv.h>
#include <lv2/state/state.h>

using namespace talvane::testing;

TEST(Lv2AudioThread, RunNeitherAllocatesNorLocks)
{
    // The counters see the modules at all: a watched allocation inside this program counts.
    watched(allocateOnce);
    ASSERT_EQ(takeAllocationCount(), 1);

    // The host does not tell its largest run, so runs of 9000 frames go to the processor in pieces.
    constexpr std::int32_t kBlock = 512;
    constexpr std::int32_t kLongRun = 9000;
    talvane::host::Lv2Instance instance(lv2World(), lv2Urids());
    ASSERT_TRUE(instance.create(kLv2PluginUri, 44100.0, kLongRun, false)) << instance.error();
    instance.keepRendered = false;
    // A heavy patch: all oscillators, FM, ring modulation and every modulator routed.
    const std::pair<std::uint32_t, float> patch[] = {{26, 1}, {37, 1}, {51, 0.5f}, {52, 0.4f}, {54, 0.3f},
                                                     {74, 15}, {89, 7},  {103, 32}, {125, 3},   {128, 2},
                                                     {136, 9}, {139, 8}, {71, 1}};
    for (const auto& [port, value] : patch)
        instance.setControl(port, value);
    ASSERT_EQ(restoreLv2State(instance, presetBytes("Warm Pad")), LV2_STATE_SUCCESS);

    for (int block = 0; block < 400; ++block)
    {
        const std::int32_t frames = block % 7 == 0 ? 100 : (block % 11 == 0 ? kLongRun : kBlock);
        const std::int32_t inBlock = frames;
        for (int k = 0; k < 3; ++k)
            instance.noteOn(k * 30 % inBlock, static_cast<std::uint8_t>(40 + (block * 5 + k * 7) % 48), 90);
        instance.noteOff(10, static_cast<std::uint8_t>(40 + (block * 5) % 48));
        instance.midi(block % inBlock, {0xB0, 1, static_cast<std::uint8_t>(block % 128)});
        instance.midi((block * 3) % inBlock, {0xE0, 0, static_cast<std::uint8_t>(block % 128)});
        if (block % 25 == 0)
            instance.position(0, 90.0 + block % 60);
        for (int p = 0; p < 20; ++p)
        {
            const std::uint32_t port = static_cast<std::uint32_t>((block + p * 7) % 147);
            instance.setControl(port, static_cast<float>((block + p) % 10) / 9.0f);
        }
        if (block % 50 == 0)
            instance.setControl(63, static_cast<float>(block / 50 % 2)); // panic
        instance.prepareRun();
        watched([&] { lilv_instance_run(instance.instance(), static_cast<uint32_t>(frames)); });
        instance.finishRun(static_cast<uint32_t>(frames));
    }
    EXPECT_EQ(takeAllocationCount(), 0) << "operator new called in run()";
    EXPECT_EQ(takeLockCount(), 0) << "a mutex locked in run()";
}
