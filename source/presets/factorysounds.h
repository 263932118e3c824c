// The instrument's factory sounds: each one a list of parameter settings over the default patch,
// with a name, a category and a one-line description. The program list, the editor's menu, the
// saved preset files and the committed states in presets/ are all made from these definitions.
#pragma once

#include "source/params/paramids.h"

#include <array>
#include <string>
#include <vector>

namespace talvane::presets {

enum class Category : int
{
    Pads,
    Basses,
    Leads,
    Keys,
    BellsAndMallets,
    Plucks,
    BrassAndStrings,
    EffectsAndTextures,
    TempoSyncedMotion,
};
constexpr int kNumCategories = 9;

// The category's name as the editor's menu and the preset files show it.
const char* categoryName(Category category);

// One parameter setting. A discrete parameter takes its plain value (a number, or the name of a
// list entry: "Saw", "FILTER | Cutoff"); a continuous one its normalized value.
struct Setting
{
    Setting(ParamId parameter, int plain);
    Setting(ParamId parameter, double normalized);
    Setting(ParamId parameter, const char* entryName);

    ParamId id;
    double value;
    bool isPlain;
    const char* entryName; // the list entry it was named by, or null
};

struct FactorySound
{
    const char* name;
    Category category;
    const char* description; // one line: what it sounds like and what moves in it
    std::vector<Setting> settings;
};

// The factory sounds in program order. New sounds go at the end: hosts address programs by their
// position.
const std::vector<FactorySound>& factorySounds();

// The normalized value that selects a tempo-sync division of an LFO's frequency ("1/16", "1/4 T"):
// the middle of its range, to six decimals.
double syncDivision(const char* divisionName);

using SoundValues = std::array<float, kNumParams>;

// The 147 normalized values the settings make over the defaults, in the precision the state keeps
// (a discrete value as the plain value it stands for). A setting that names no parameter, an entry
// its list lacks or a value outside the range is left out and described in `problems`.
SoundValues valuesOf(const std::vector<Setting>& settings, std::vector<std::string>* problems = nullptr);

// The default settings: every parameter at its default.
SoundValues defaultValues();

} // namespace talvane::presets
