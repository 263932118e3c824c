// The instrument's 147 parameters, one record each: everything the system knows about a parameter
// lives in its record (paramtable.cpp), and the processor, the controller, the value texts, the
// editor, the factory sounds and the LV2 ports read it from there. Adding a parameter is adding its
// record.
#pragma once

#include "source/params/listsizes.h"
#include "source/params/paramids.h"

#include <array>
#include <cstdint>

namespace talvane {

enum class ParamKind : std::uint8_t
{
    Continuous, // any normalized value
    Stepped,    // whole plain values, shown as numbers
    Toggle,     // off (0) or on (1)
    List,       // whole plain values, each an entry of a name list
};

// The quantity the engine receives for the parameter's normalized value x.
enum class EngineLaw : std::uint8_t
{
    Normalized,   // x itself
    Bipolar,      // 2x - 1: -1 .. 1 with 0 at the centre
    VolumeGain,   // x^3, the output gain
    FineTune,     // (x - 0.5) * 2 semitones: -1 .. +1
    GlideTime,    // the portamento's glide in seconds, x * 2 (paramcurves.h)
    AttackTime,   // stage seconds (paramcurves.h); the engine keeps x and the rate at the host rate
    DecayTime,    //
    ReleaseTime,  //
    PlainValue,   // the step's plain value
    Switch,       // the step's plain value, 0 or 1
    Octave,       // the step's plain value in semitones, 12 per octave
    EnvelopeType, // the list entry, truncated rather than binned: 1.0 gives one past the last type
    SlotAmount,   // bipolar, then shaped for the slot's destination (parameterapplication.h)
    Combined,     // read together with others: pitch bend and its ranges, the reference key
    IntakeOnly,   // acts in the parameter intake only (panic)
};

// How the value text shows a normalized value (source/controller/valuestrings.cpp).
enum class DisplayRule : std::uint8_t
{
    Percent,      // "50.0 %"
    VolumeCurve,  // the output gain in percent: "51.2 %"
    Portamento,   // "1000 ms"
    AttackTime,   // "0.01 ms" .. "4000.00 ms"
    DecayTime,    // "5.00 ms" .. "4000.00 ms"
    ReleaseTime,  // "5.00 ms" .. "20000.00 ms"
    Cutoff,       // "20 Hz" .. "20480 Hz"
    LeftRight,    // "L 50 %", "R 0 %"
    PlusMinus,    // "-50 %", "+0 %"
    Phase,        // "180 °"
    FineTune,     // "-50.00" .. "50.00"
    LfoFrequency, // hertz, or the sync division while its LFO is synced
    Plain,        // the plain value: "-3", "16"
};

// What a number's plain value counts; lists, toggles and continuous parameters count nothing.
enum class PlainUnit : std::uint8_t
{
    Unitless,
    Octaves,
    Semitones,
};

// The names a list parameter's plain values select (entry i names plain value minValue + i).
struct NameList
{
    const char* const* names;
    int count;
};

// A title or caption held in the record itself, so that families can compose theirs ("O2_Mix").
struct RecordText
{
    static constexpr int kCapacity = 24;
    char chars[kCapacity];

    constexpr const char* c_str() const { return chars; }
    constexpr operator const char*() const { return chars; }
};

struct ParamRecord
{
    ParamId id;
    RecordText title;   // the host's name for it, also the name in preset texts
    RecordText caption; // the editor's label
    ParamKind kind;
    std::int32_t numValues; // 0: continuous; N >= 2: plain values minValue .. minValue + N - 1
    std::int32_t minValue;
    float defaultValue; // plain value for a discrete parameter, normalized value for a continuous one
    EngineLaw law;
    DisplayRule display;
    NameList names;
    bool followsSampleRate; // its engine quantity is recomputed when the sample rate changes
    PlainUnit unit;         // what a number's plain value counts
};

extern const std::array<ParamRecord, kNumParams> kParamRecords;

// Requires id < kNumParams.
inline const ParamRecord& paramRecord(ParamId id)
{
    return kParamRecords[id];
}

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

// The two parameters of each routing slot of the LFO, envelope and matrix blocks: the destination
// (a list of kModDestNames) and its amount.
bool isSlotDestination(ParamId id);
bool isSlotAmount(ParamId id);

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

// The engine quantity of `normalized` for a parameter whose law is one of Normalized, Bipolar,
// VolumeGain, FineTune, AttackTime, DecayTime, ReleaseTime (seconds), PlainValue, Switch, Octave,
// EnvelopeType or SlotAmount (its unshaped bipolar amount); 0 for the others.
float engineQuantity(ParamId id, float normalized);

} // namespace talvane
