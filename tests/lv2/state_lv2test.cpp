// The state extension carries the processor's own saved state, the 600 bytes a VST 3 host saves,
// so a project moves between the formats; hosts that keep state through lilv get it back whole.
#include "lv2/lv2test.h"

#include <lilv/lilv.h>
#include <lv2/state/state.h>

#include <cstring>
#include <memory>

using namespace talvane::testing;

namespace {

constexpr std::size_t kStateBytes = 600;

std::vector<std::uint8_t> vst3State(const std::vector<std::pair<Steinberg::Vst::ParamID, double>>& changes)
{
    talvane::host::PluginInstance plugin;
    if (!plugin.create(loadedModule().factory()) || plugin.setup(44100.0, 512) != Steinberg::kResultOk)
        return {};
    talvane::host::AudioProcessRunner runner(plugin.processor(), 512, 44100.0);
    for (const auto& [id, value] : changes)
        runner.parameterChanges.add(id, 0, value);
    runner.process(512);
    talvane::host::MemoryStream stream;
    if (!plugin.saveState(stream))
        return {};
    return stream.bytes();
}

class Lv2State : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(instance.create(kLv2PluginUri, 44100.0, 512)) << instance.error();
    }

    talvane::host::Lv2Instance instance{lv2World(), lv2Urids()};
};

} // namespace

TEST_F(Lv2State, SavesTheSameBytesAsTheVst3Processor)
{
    instance.setControl(7, 0.25f);   // F_Cutoff
    instance.setControl(20, -2.0f);  // O1_Octave
    instance.setControl(58, 4.0f);   // Polyphony
    instance.setControl(125, 9.0f);  // MATRIX1_Src: Lfo2
    instance.run(512);
    const SavedLv2State saved = saveLv2State(instance);
    ASSERT_EQ(saved.status, LV2_STATE_SUCCESS);
    EXPECT_EQ(saved.key, kLv2StateKeyUri);
    EXPECT_EQ(saved.type, LV2_ATOM__Chunk);
    EXPECT_EQ(saved.flags, static_cast<std::uint32_t>(LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE));
    ASSERT_EQ(saved.bytes.size(), kStateBytes);
    EXPECT_EQ(saved.bytes, vst3State({{7, 0.25f}, {20, 1.0 / 6.0}, {58, 3.0 / 15.0}, {125, 1.0}}));
}

TEST_F(Lv2State, RestoresAStateSavedByAVst3HostAndGivesItBack)
{
    const std::vector<std::uint8_t> pluck = presetBytes("Pluck");
    ASSERT_EQ(pluck.size(), kStateBytes);
    ASSERT_EQ(restoreLv2State(instance, pluck), LV2_STATE_SUCCESS);
    // The ports keep their values, which the host has not changed: the state stays as loaded.
    instance.run(512);
    EXPECT_EQ(saveLv2State(instance).bytes, pluck);

    // A port the host changes afterwards is taken.
    instance.setControl(7, 0.125f);
    instance.run(512);
    const std::vector<std::uint8_t> after = saveLv2State(instance).bytes;
    ASSERT_EQ(after.size(), kStateBytes);
    float cutoff = 0.0f;
    std::memcpy(&cutoff, after.data() + 12 + 4 * 7, sizeof cutoff);
    EXPECT_EQ(cutoff, 0.125f);
}

TEST_F(Lv2State, RefusesWhatIsNotItsStateAndKeepsItsOwn)
{
    const std::vector<std::uint8_t> pluck = presetBytes("Pluck");
    ASSERT_EQ(restoreLv2State(instance, pluck), LV2_STATE_SUCCESS);

    EXPECT_EQ(restoreLv2State(instance, std::vector<std::uint8_t>(10, 0)), LV2_STATE_ERR_UNKNOWN);
    std::vector<std::uint8_t> longer = presetBytes("Warm Pad");
    longer.push_back(0);
    EXPECT_EQ(restoreLv2State(instance, longer), LV2_STATE_ERR_UNKNOWN);
    std::vector<std::uint8_t> outOfRange = presetBytes("Warm Pad");
    const float tooLoud = 1.5f; // GlobalVolume beyond 0..1
    std::memcpy(outOfRange.data() + 12, &tooLoud, sizeof tooLoud);
    EXPECT_EQ(restoreLv2State(instance, outOfRange), LV2_STATE_ERR_UNKNOWN);
    EXPECT_EQ(restoreLv2State(instance, presetBytes("Warm Pad"), "urn:example:other-key"),
              LV2_STATE_ERR_NO_PROPERTY);
    EXPECT_EQ(restoreLv2State(instance, presetBytes("Warm Pad"), kLv2StateKeyUri, LV2_ATOM__String),
              LV2_STATE_ERR_BAD_TYPE);

    instance.run(512);
    EXPECT_EQ(saveLv2State(instance).bytes, pluck);
}

TEST_F(Lv2State, LilvSavesAndRestoresItAsHostsDo)
{
    ASSERT_EQ(restoreLv2State(instance, presetBytes("Round Bass")), LV2_STATE_SUCCESS);
    instance.setControl(8, 0.75f); // F_Q, after the state: a port the host keeps
    instance.run(512);
    const std::vector<std::uint8_t> saved = saveLv2State(instance).bytes;

    std::unique_ptr<LilvState, void (*)(LilvState*)> state(instance.saveState(), lilv_state_free);
    ASSERT_NE(state, nullptr);
    char* text = lilv_state_to_string(lv2World().world(), lv2Urids().mapFeatureData(), lv2Urids().unmapFeatureData(),
                                      state.get(), "urn:talvane:test-state", nullptr);
    ASSERT_NE(text, nullptr);
    std::unique_ptr<LilvState, void (*)(LilvState*)> reread(
        lilv_state_new_from_string(lv2World().world(), lv2Urids().mapFeatureData(), text), lilv_state_free);
    lilv_free(text);
    ASSERT_NE(reread, nullptr);
    EXPECT_TRUE(lilv_state_equals(state.get(), reread.get()));

    talvane::host::Lv2Instance restored(lv2World(), lv2Urids());
    ASSERT_TRUE(restored.create(kLv2PluginUri, 44100.0, 512)) << restored.error();
    restored.restoreState(reread.get());
    EXPECT_EQ(restored.control(8), 0.75f);
    restored.run(512);
    EXPECT_EQ(saveLv2State(restored).bytes, saved);
}
