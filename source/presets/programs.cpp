#include "source/presets/programs.h"

#include <algorithm>
#include <cmath>

namespace talvane::presets {

ProgramTable::ProgramTable()
{
    programs.push_back({kInitProgramName, "", defaultValues()});
    for (const FactorySound& sound : factorySounds())
        programs.push_back({sound.name, categoryName(sound.category), valuesOf(sound.settings)});
}

int ProgramTable::find(const float* values) const
{
    for (int index = 0; index < count(); ++index)
    {
        const SoundValues& program = at(index).values;
        bool same = true;
        for (ParamId id = 0; same && id < static_cast<ParamId>(kNumParams); ++id)
            same = !isSoundParameter(id) || program[id] == values[id];
        if (same)
            return index;
    }
    return -1;
}

int ProgramTable::findNamed(const std::string& name) const
{
    for (int index = 0; index < count(); ++index)
        if (at(index).name == name)
            return index;
    return -1;
}

const ProgramTable& factoryPrograms()
{
    static const ProgramTable table;
    return table;
}

int programIndexFromNormalized(double value, int count)
{
    if (count <= 1 || !(value > 0.0))
        return 0;
    const double scaled = std::floor(std::min(value, 1.0) * count);
    return std::min(count - 1, static_cast<int>(scaled));
}

double normalizedFromProgramIndex(int index, int count)
{
    if (count <= 1)
        return 0.0;
    return static_cast<double>(std::clamp(index, 0, count - 1)) / (count - 1);
}

bool isSoundParameter(ParamId id)
{
    return id < static_cast<ParamId>(kNumParams) && id != kModWheel && id != kPitchBend && id != kPanic;
}

} // namespace talvane::presets
