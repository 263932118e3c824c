// The factory sounds as LV2 presets, found as a host's preset menu finds them through lilv: one
// preset per saved factory sound, labelled with its name, and loading one the way hosts do
// (lilv_state_new_from_world, lilv_state_restore) leaves the plug-in with the sound's saved state.
#include "lv2/lv2test.h"

#include <lilv/lilv.h>
#include <lv2/presets/presets.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace talvane::testing;

namespace {

struct FreeState
{
    void operator()(LilvState* state) const { lilv_state_free(state); }
};
using StatePointer = std::unique_ptr<LilvState, FreeState>;

// The bundle's presets by label, as a host lists them.
std::map<std::string, StatePointer> presetsByLabel()
{
    std::map<std::string, StatePointer> found;
    LilvWorld* world = lv2World().world();
    const LilvPlugin* plugin = lv2World().plugin(kLv2PluginUri);
    if (!plugin)
        return found;
    LilvNodes* presets = lilv_plugin_get_related(plugin, lv2World().uri(LV2_PRESETS__Preset));
    LILV_FOREACH (nodes, i, presets)
    {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(world, preset);
        LilvState* state = lilv_state_new_from_world(world, lv2Urids().mapFeatureData(), preset);
        if (state && lilv_state_get_label(state))
            found[lilv_state_get_label(state)] = StatePointer(state);
        else
            lilv_state_free(state);
    }
    lilv_nodes_free(presets);
    return found;
}

} // namespace

TEST(Lv2Presets, EveryFactorySoundIsAPresetThatLoadsItsSavedState)
{
    const std::map<std::string, StatePointer> presets = presetsByLabel();
    std::vector<std::string> names = factorySoundNames();
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 36u) << "the factory sounds in " << TALVANE_PRESET_DIR;
    std::vector<std::string> labels;
    for (const auto& [label, state] : presets)
        labels.push_back(label);
    EXPECT_EQ(labels, names);

    // One after another into the same instance, as a musician steps through a preset menu: each
    // sets every port and the whole state, so none keeps anything of the one before.
    talvane::host::Lv2Instance instance(lv2World(), lv2Urids());
    ASSERT_TRUE(instance.create(kLv2PluginUri, 44100.0, 512)) << instance.error();
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        const auto preset = presets.find(name);
        ASSERT_NE(preset, presets.end());
        EXPECT_EQ(lilv_state_get_num_properties(preset->second.get()), 1u) << "the state's one property";
        instance.restoreState(preset->second.get());
        instance.run(512);
        const std::vector<std::uint8_t> saved = presetBytes(name);
        ASSERT_EQ(saved.size(), 600u);
        EXPECT_EQ(saveLv2State(instance).bytes, saved);
    }
}

// A host that restores a preset's state alone, leaving the ports as they are, gets the sound too:
// the preset carries the plug-in's state whole.
TEST(Lv2Presets, APresetsStateAloneGivesTheSound)
{
    const std::map<std::string, StatePointer> presets = presetsByLabel();
    const auto preset = presets.find("Tubular Bell");
    ASSERT_NE(preset, presets.end());
    talvane::host::Lv2Instance instance(lv2World(), lv2Urids());
    ASSERT_TRUE(instance.create(kLv2PluginUri, 44100.0, 512)) << instance.error();
    lilv_state_restore(preset->second.get(), instance.instance(), nullptr, nullptr, 0, nullptr);
    instance.run(512);
    EXPECT_EQ(saveLv2State(instance).bytes, presetBytes("Tubular Bell"));
}
