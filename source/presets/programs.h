// The programs the plug-in offers hosts: "Init" (every parameter at its default) followed by the
// factory sounds, each with the 147 values it sets. Hosts select one through the program-change
// parameter, whose normalized value names a position in this list.
#pragma once

#include "source/presets/factorysounds.h"

#include <string>
#include <vector>

namespace talvane::presets {

// The program-change parameter: outside the sound's dense IDs 0..146, which it never disturbs.
constexpr ParamId kProgramChangeId = 1000;
constexpr const char* kProgramChangeTitle = "Program";
// The one program list, that of the root unit.
constexpr int kFactoryProgramListId = 1;
constexpr const char* kFactoryProgramListName = "Factory Sounds";
constexpr const char* kInitProgramName = "Init";

struct Program
{
    std::string name;
    std::string category; // empty for Init
    SoundValues values;
};

class ProgramTable
{
public:
    ProgramTable();

    int count() const { return static_cast<int>(programs.size()); }
    const Program& at(int index) const { return programs[static_cast<std::size_t>(index)]; }
    bool contains(int index) const { return index >= 0 && index < count(); }

    // The program whose sound parameters (all but the performance controls) equal `values`; -1 if
    // none does.
    int find(const float* values) const;
    // The program of that name; -1 if none has it.
    int findNamed(const std::string& name) const;

private:
    std::vector<Program> programs;
};

// Built once, at the first call: make it before the audio thread needs it.
const ProgramTable& factoryPrograms();

// The program-change parameter's value and the program index, as the SDK's list parameters convert
// them: index = min(count - 1, floor(value * count)), value = index / (count - 1).
int programIndexFromNormalized(double value, int count);
double normalizedFromProgramIndex(int index, int count);

// The performance controls (mod wheel, pitch bend, panic) are played, not part of a sound's design:
// moving them neither edits the sound nor tells one sound from another.
bool isSoundParameter(ParamId id);

} // namespace talvane::presets
