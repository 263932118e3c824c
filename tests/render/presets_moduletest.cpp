// The factory sounds: the committed files are what their settings make, and every one sounds.
#include "render/rendersupport.h"
#include "support/moduletest.h"
#include "source/presets/factorysounds.h"
#include "tools/presets/presettext.h"
#include "tools/render/midifilewriter.h"
#include "tools/render/midiperformance.h"
#include "tools/render/outputfile.h"
#include "tools/render/pluginsession.h"
#include "tools/render/renderer.h"

#include <cmath>

using namespace talvane::render;
using talvane::presets::FactorySound;
using talvane::presets::factorySounds;
using talvane::testing::loadedModule;
using talvane::testing::MemorySink;
using talvane::testing::ScratchDirectory;

namespace {

// Full scale and one decibel more: room for inter-sample overs of a hot preset, no more.
constexpr float kMaxPeak = 1.12f;
constexpr double kMinRms = 1e-3;

std::string presetPath(const FactorySound& sound)
{
    return std::string(TALVANE_PRESET_DIR) + "/" + sound.name + talvane::presets::kStateFileExtension;
}

} // namespace

TEST(FactoryPresets, EachFileIsTheStateItsSettingsMake)
{
    ASSERT_GE(factorySounds().size(), 8u);
    for (const FactorySound& sound : factorySounds())
    {
        const StateBytes made = stateWithSettings(loadedModule(), {}, {}, talvane::presets::settingsAsText(sound));
        EXPECT_EQ(made.size(), 600u);
        EXPECT_EQ(readWholeFile(presetPath(sound)), made)
            << sound.name << ": regenerate the files with the 'presets' target";
    }
}

TEST(FactoryPresets, EveryOneLoadsAndSounds)
{
    // Low, middle and high notes, a chord and a run, as a preset is first tried out.
    ScratchDirectory scratch;
    MidiFileWriter writer;
    writer.note(0.0, 1.5, 36, 100);
    for (int key : {60, 64, 67, 71})
        writer.note(2.0, 2.0, key, 90);
    for (int k = 0; k < 4; ++k)
        writer.note(4.5 + 0.5 * k, 0.6, 72 + 3 * k, 110);
    writer.save(scratch.path("phrase.mid"));
    const MidiPerformance phrase = readMidiFile(scratch.path("phrase.mid"));

    for (const FactorySound& preset : factorySounds())
    {
        PluginSession session(loadedModule());
        session.loadState(readWholeFile(presetPath(preset)), preset.name);
        MemorySink sink;
        const RenderResult result = renderPerformance(session, phrase, RenderOptions{}, sink);
        double sum = 0.0;
        for (std::size_t i = 0; i < sink.left.size(); ++i)
            sum += static_cast<double>(sink.left[i]) * sink.left[i] +
                   static_cast<double>(sink.right[i]) * sink.right[i];
        const double rms = std::sqrt(sum / (2.0 * static_cast<double>(sink.left.size())));
        EXPECT_EQ(result.nonFiniteSamples, 0) << preset.name;
        EXPECT_GT(rms, kMinRms) << preset.name;
        EXPECT_LE(result.peak, kMaxPeak) << preset.name;
        EXPECT_GT(result.peak, 0.1f) << preset.name;
    }
}

TEST(FactoryPresets, TheRendererSelectsEachProgramByItsName)
{
    // talvane-render --param Program=<name>: the program-change parameter, resolved by the name the
    // plug-in shows for it, even where the name reads like a number ("Glide Lead" has an "e").
    for (const FactorySound& sound : factorySounds())
        EXPECT_EQ(stateWithSettings(loadedModule(), {}, {}, {std::string("Program=") + sound.name}),
                  readWholeFile(presetPath(sound)))
            << sound.name;
    // A number still selects by position: 1.0 is the last program.
    EXPECT_EQ(stateWithSettings(loadedModule(), {}, {}, {"Program=1.0"}),
              readWholeFile(presetPath(factorySounds().back())));
}
