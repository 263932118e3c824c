#include "source/presets/factorysounds.h"

#include "source/params/paramtable.h"

#include <cmath>
#include <cstring>

namespace talvane::presets {

namespace {

constexpr double kSyncDivisionDecimals = 1e6;

const char* const kCategoryNames[kNumCategories] = {
    "Pads",
    "Basses",
    "Leads",
    "Keys",
    "Bells & Mallets",
    "Plucks",
    "Brass & Strings",
    "Effects & Textures",
    "Tempo-Synced Motion",
};

bool inRange(ParamId id, const Setting& setting, std::string& problem)
{
    const ParamRecord& def = paramRecord(id);
    if (isDiscrete(id))
    {
        if (!setting.isPlain || setting.value != std::floor(setting.value) || setting.value < def.minValue ||
            setting.value > def.minValue + def.numValues - 1)
        {
            problem = setting.entryName ? std::string("no entry \"") + setting.entryName + "\""
                                        : "not one of its plain values";
            return false;
        }
        return true;
    }
    if (setting.isPlain && setting.value != 0 && setting.value != 1)
    {
        problem = "a plain value for a continuous parameter";
        return false;
    }
    if (!(setting.value >= 0.0 && setting.value <= 1.0))
    {
        problem = "outside 0..1";
        return false;
    }
    return true;
}

} // namespace

const char* categoryName(Category category)
{
    const int index = static_cast<int>(category);
    return index >= 0 && index < kNumCategories ? kCategoryNames[index] : "";
}

Setting::Setting(ParamId parameter, int plain)
    : id(parameter), value(plain), isPlain(true), entryName(nullptr)
{}

Setting::Setting(ParamId parameter, double normalized)
    : id(parameter), value(normalized), isPlain(false), entryName(nullptr)
{}

Setting::Setting(ParamId parameter, const char* name)
    : id(parameter), value(plainValueNamed(parameter, name)), isPlain(true), entryName(name)
{}

double syncDivision(const char* divisionName)
{
    for (int index = 0; index < kNumSyncDivisions; ++index)
        if (std::strcmp(kSyncDivisionNames[index], divisionName) == 0)
        {
            const double middle = (index + 0.5) / kNumSyncDivisions;
            return std::round(middle * kSyncDivisionDecimals) / kSyncDivisionDecimals;
        }
    return -1.0; // no such division: left out by valuesOf, as out of range
}

SoundValues defaultValues()
{
    SoundValues values{};
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
        values[id] = defaultNormalized(id);
    return values;
}

SoundValues valuesOf(const std::vector<Setting>& settings, std::vector<std::string>* problems)
{
    SoundValues values = defaultValues();
    for (const Setting& setting : settings)
    {
        std::string problem = "no such parameter";
        if (setting.id < static_cast<ParamId>(kNumParams) && inRange(setting.id, setting, problem))
        {
            values[setting.id] = isDiscrete(setting.id)
                                     ? normalizedFromIndex(setting.id, static_cast<int>(setting.value))
                                     : static_cast<float>(setting.value);
            continue;
        }
        if (problems)
            problems->push_back(std::string(setting.id < static_cast<ParamId>(kNumParams)
                                                ? paramRecord(setting.id).title.c_str()
                                                : "parameter " + std::to_string(setting.id)) +
                                ": " + problem);
    }
    return values;
}

} // namespace talvane::presets
