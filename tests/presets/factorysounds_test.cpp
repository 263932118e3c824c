// The factory sounds as data: every setting names a real value, the library covers its categories,
// the in-code values are the committed states, and the program list converts its parameter as the
// SDK's list parameters do.
#include "source/params/paramtable.h"
#include "source/presets/factorysounds.h"
#include "source/presets/programs.h"
#include "source/params/stateformat.h"

#include "support/stateimage.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

using namespace talvane;
using namespace talvane::presets;

namespace {

constexpr std::size_t kMinFactorySounds = 32;
constexpr std::size_t kMinSoundsPerCategory = 3;
// VST 2 hosts show program names in 24 bytes, terminator included.
constexpr std::size_t kVst2ProgramNameBytes = 23;

std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> stateOf(const SoundValues& values)
{
    Steinberg::MemoryStream stream;
    float items[kNumParams];
    std::copy(values.begin(), values.end(), items);
    EXPECT_EQ(writeState(&stream, items), Steinberg::kResultOk);
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.getData());
    return std::vector<std::uint8_t>(data, data + stream.getSize());
}

} // namespace

TEST(FactorySounds, EverySettingIsAValueOfItsParameter)
{
    for (const FactorySound& sound : factorySounds())
    {
        std::vector<std::string> problems;
        valuesOf(sound.settings, &problems);
        EXPECT_TRUE(problems.empty()) << sound.name << ": " << (problems.empty() ? "" : problems.front());
        std::set<ParamId> seen;
        for (const Setting& setting : sound.settings)
            EXPECT_TRUE(seen.insert(setting.id).second)
                << sound.name << " sets " << paramRecord(setting.id).title.c_str() << " twice";
    }
}

TEST(FactorySounds, ALibraryOfNamedDescribedSoundsInEveryCategory)
{
    ASSERT_GE(factorySounds().size(), kMinFactorySounds);
    std::map<int, std::size_t> perCategory;
    std::set<std::string> names;
    for (const FactorySound& sound : factorySounds())
    {
        const std::string name = sound.name;
        EXPECT_TRUE(names.insert(name).second) << name << " twice";
        EXPECT_LE(name.size(), kVst2ProgramNameBytes) << name;
        EXPECT_EQ(name.find_first_of("\\/:*?\"<>|"), std::string::npos) << name << " is no file name";
        EXPECT_NE(name, kInitProgramName);
        const std::string description = sound.description;
        EXPECT_GT(description.size(), 40u) << name;
        EXPECT_EQ(description.find('\n'), std::string::npos) << name;
        EXPECT_EQ(description.back(), '.') << name;
        ++perCategory[static_cast<int>(sound.category)];
    }
    for (int category = 0; category < kNumCategories; ++category)
    {
        EXPECT_GE(perCategory[category], kMinSoundsPerCategory)
            << categoryName(static_cast<Category>(category));
        EXPECT_STRNE(categoryName(static_cast<Category>(category)), "");
    }
    EXPECT_STREQ(categoryName(Category::BellsAndMallets), "Bells & Mallets");
    EXPECT_STREQ(categoryName(Category::TempoSyncedMotion), "Tempo-Synced Motion");
}

TEST(FactorySounds, TheInCodeValuesAreTheCommittedStates)
{
    // presets/*.talvane were made by the built plug-in from the settings as text; the programs and
    // the preset files use the values made here.
    for (const FactorySound& sound : factorySounds())
    {
        const std::vector<std::uint8_t> committed =
            readFile(std::string(TALVANE_PRESET_DIR) + "/" + sound.name + ".talvane");
        ASSERT_EQ(committed.size(), talvane::testing::kStateSize) << sound.name;
        EXPECT_EQ(stateOf(valuesOf(sound.settings)), committed) << sound.name;
    }
}

TEST(FactorySounds, SettingsByListEntryAndSyncDivisionResolveToTheirValues)
{
    const Setting saw(kO1Waveform, "Saw");
    EXPECT_TRUE(saw.isPlain);
    EXPECT_EQ(saw.value, 0.0);
    EXPECT_EQ(Setting(kLfo2Dest1, "FILTER | Cutoff").value, 7.0);
    EXPECT_EQ(Setting(kMatrix1Src, "Lfo2").value, 9.0);
    EXPECT_EQ(Setting(kO1Waveform, "Sawtooth").value, -1.0) << "no such entry";

    // The middle of a division's range, to six decimals: "1/16" is division 25 of 39.
    EXPECT_EQ(syncDivision("1/16"), 0.653846);
    EXPECT_EQ(static_cast<int>(syncDivision("1/16") * kNumSyncDivisions), 25);
    EXPECT_EQ(static_cast<int>(syncDivision("16 D") * kNumSyncDivisions), 0);
    EXPECT_EQ(static_cast<int>(syncDivision("1/256 T") * kNumSyncDivisions), 38);
    EXPECT_LT(syncDivision("1/17"), 0.0);

    std::vector<std::string> problems;
    const SoundValues values = valuesOf({{kO1Octave, -3},
                                         {kPolyphony, 0},
                                         {kFCutoff, 1.5},
                                         {kO1Waveform, "Sawtooth"},
                                         {kO2Mix, 0.25},
                                         {kProgramChangeId, 1}},
                                        &problems);
    EXPECT_EQ(values[kO1Octave], 0.0f);
    EXPECT_EQ(values[kO2Mix], 0.25f);
    EXPECT_EQ(values[kPolyphony], 1.0f) << "left at its default";
    EXPECT_EQ(values[kFCutoff], 1.0f) << "left at its default";
    EXPECT_EQ(problems.size(), 4u);
}

TEST(Programs, InitThenTheFactorySoundsEachFoundByItsValues)
{
    const ProgramTable& programs = factoryPrograms();
    ASSERT_EQ(programs.count(), static_cast<int>(factorySounds().size()) + 1);
    EXPECT_EQ(programs.at(0).name, "Init");
    EXPECT_EQ(programs.at(0).category, "");
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
        EXPECT_EQ(programs.at(0).values[id], defaultNormalized(id));
    for (int index = 1; index < programs.count(); ++index)
    {
        const FactorySound& sound = factorySounds()[static_cast<std::size_t>(index - 1)];
        EXPECT_EQ(programs.at(index).name, sound.name);
        EXPECT_EQ(programs.at(index).category, categoryName(sound.category));
        EXPECT_EQ(programs.find(programs.at(index).values.data()), index) << sound.name;
        EXPECT_EQ(programs.findNamed(sound.name), index);
    }
    EXPECT_EQ(programs.findNamed("Nothing of ours"), -1);

    // The performance controls are played, not designed: a moved wheel is still the same sound.
    SoundValues played = programs.at(3).values;
    played[kModWheel] = 1.0f;
    played[kPitchBend] = 0.0f;
    played[kPanic] = 1.0f;
    EXPECT_EQ(programs.find(played.data()), 3);
    played[kFCutoff] = played[kFCutoff] * 0.5f + 0.01f;
    EXPECT_EQ(programs.find(played.data()), -1);
}

TEST(Programs, TheParameterDividesItsRangeAsTheSdkListParametersDo)
{
    // 37 programs: 36 steps; the value k/36 selects program k, and each program owns 1/37 of the range.
    constexpr int kCount = 37;
    for (int index = 0; index < kCount; ++index)
    {
        EXPECT_EQ(programIndexFromNormalized(normalizedFromProgramIndex(index, kCount), kCount), index);
        EXPECT_EQ(programIndexFromNormalized(static_cast<float>(index) / (kCount - 1), kCount), index);
    }
    EXPECT_EQ(programIndexFromNormalized(0.5, kCount), 18);
    EXPECT_EQ(programIndexFromNormalized(1.0 / kCount - 1e-9, kCount), 0);
    EXPECT_EQ(programIndexFromNormalized(1.0 / kCount + 1e-9, kCount), 1);
    EXPECT_EQ(programIndexFromNormalized(1.0, kCount), 36);
    EXPECT_EQ(programIndexFromNormalized(7.0, kCount), 36);
    EXPECT_EQ(programIndexFromNormalized(-1.0, kCount), 0);
    EXPECT_EQ(programIndexFromNormalized(std::nan(""), kCount), 0);
    EXPECT_EQ(normalizedFromProgramIndex(18, kCount), 0.5);
    EXPECT_EQ(normalizedFromProgramIndex(99, kCount), 1.0);
    EXPECT_EQ(normalizedFromProgramIndex(3, 1), 0.0);
}
