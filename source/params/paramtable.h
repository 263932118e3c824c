// The table of the instrument's 147 parameters and the name lists the list parameters select from.
// Processor, controller and editor all read these definitions; no range or default lives elsewhere.
#pragma once

#include "source/params/paramids.h"

#include <cstdint>

namespace talvane {

struct ParamDef
{
    std::int32_t id;
    std::int32_t numValues; // 0: continuous; N >= 2: discrete with plain values minValue .. minValue + N - 1
    std::int32_t minValue;
    std::int32_t flags;
    float defaultValue; // plain value for a discrete parameter, normalized value for a continuous one
};

constexpr int kNumWaveforms = 14;
constexpr int kNumFilterTypes = 5;
constexpr int kNumNoteModes = 3;
constexpr int kNumEnvTypes = 4;
constexpr int kNumModSources = 10;
constexpr int kNumOctaves = 10;
constexpr int kNumNoteNames = 12;
constexpr int kNumSyncDivisions = 39;
constexpr int kNumModDestinations = 84;

extern const ParamDef kParamDefs[kNumParams];
extern const char* const kParamNames[kNumParams];
extern const char* const kParamCaptions[kNumParams];

extern const char* const kWaveformNames[kNumWaveforms];
extern const char* const kFilterTypeNames[kNumFilterTypes];
extern const char* const kNoteModeNames[kNumNoteModes];
extern const char* const kEnvTypeNames[kNumEnvTypes];
extern const char* const kModSourceNames[kNumModSources];
extern const char* const kOctaveNames[kNumOctaves];
extern const char* const kNoteNames[kNumNoteNames];
extern const char* const kSyncDivisionNames[kNumSyncDivisions];
extern const char* const kModDestNames[kNumModDestinations];

bool isDiscrete(ParamId id);

// The two parameters of each of the 24 routing slots of the LFO, envelope and matrix blocks: the
// destination (a list of kModDestNames) and its amount.
bool isSlotDestination(ParamId id);
bool isSlotAmount(ParamId id);

// The names a list parameter's plain values select (entry i names plain value minValue + i).
struct NameList
{
    const char* const* names;
    int count;
};

// The list a parameter selects from; {nullptr, 0} for a parameter that is not a list (continuous
// parameters, toggles and numbers).
NameList nameListOf(ParamId id);
// The plain value whose name in the parameter's list is `name`; -1 if the list has no such entry.
int plainValueNamed(ParamId id, const char* name);

// Discrete conversions, in single precision, identical wherever they are used.
// Both require id < kNumParams and a discrete parameter.
float normalizedFromIndex(ParamId id, int plain);
int indexFromNormalized(ParamId id, float normalized);

// The value registered with the host as default and applied by the processor at construction.
float defaultNormalized(ParamId id);

} // namespace talvane
