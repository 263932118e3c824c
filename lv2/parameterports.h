// The parameters as LV2 control ports. parameterFacts is the one place where the LV2 side reads
// what a parameter is (its record); a port is described from its answer alone, and the generated
// Turtle, the plug-in and its UI all take what they need from that description.
//
// A port carries a parameter in the units a host's generic controls can show: a continuous
// parameter as its normalized value 0..1 (exactly the value a VST 3 host sends), a toggle as 0 or
// 1, a number (octave, detune, bend range, polyphony) and a list choice as its plain value, e.g. -3
// for an octave knob turned fully down or 13 for the last waveform.
#pragma once

#include "source/params/paramids.h"
#include "source/params/paramtable.h"

#include <cstddef>
#include <string>

namespace talvane::lv2 {

enum class PortKind
{
    Continuous,  // 0..1
    Toggle,      // 0 or 1
    Integer,     // a number in minimum..maximum
    Enumeration, // a list index in minimum..maximum, each with its name
};

// The unit a number's port shows, as the parameter's record counts its plain value.
using PortUnit = PlainUnit;

// `text` made a valid LV2 symbol: every character other than a letter, a digit or '_' becomes '_'.
std::string symbolFrom(const std::string& text);

// Longest port symbol, terminator included.
constexpr std::size_t kPortSymbolCapacity = 32;

struct ParameterPort
{
    // The parameter's title made a valid LV2 symbol: every character other than a letter, a digit
    // or '_' becomes '_' ("FM_O1->O2" is "FM_O1__O2"). Saved projects refer to ports by it.
    char symbol[kPortSymbolCapacity];
    const char* name; // the title itself
    PortKind kind;
    float minimum;
    float maximum;
    float defaultValue;
    PortUnit unit;
    // For an enumeration: entry i names the value minimum + i.
    const char* const* scalePoints;
    int scalePointCount;
    // Whether setting the port acts once rather than holding a setting (the panic button).
    bool trigger;
};

// What the LV2 side knows of one parameter.
struct ParameterFacts
{
    const char* title;
    int stepCount;      // plain values of a stepped parameter; 0 for a continuous one
    int lowestValue;    // the plain value of the first step
    float defaultValue; // plain for a stepped parameter, normalized for a continuous one
    NameList names;     // a list's entry names, entry i naming plain value lowestValue + i
    PortUnit unit;      // of a number's plain value
    bool actsOnce;      // setting it acts rather than holding a setting
};

// The facts of parameter `id` (< kNumParams): the one function that reads the parameter records.
ParameterFacts parameterFacts(ParamId id);

// The port of a parameter with these facts.
ParameterPort describeParameterPort(const ParameterFacts& facts);
// The port of parameter `id` (< kNumParams).
ParameterPort describeParameterPort(ParamId id);

// A port value as the normalized value the processor takes. Numbers and list choices are rounded to
// the nearest step and held to the range; continuous values are held to 0..1. False for NaN, which
// carries no value.
bool normalizedFromPortValue(const ParameterPort& port, ParamId id, float portValue, double& normalized);

// The port value that shows a normalized value (as the processor reads it: a stepped parameter's
// plain value).
float portValueFromNormalized(const ParameterPort& port, ParamId id, double normalized);

// All parameter ports, described once.
class ParameterPorts
{
public:
    ParameterPorts();
    const ParameterPort& operator[](ParamId id) const { return ports[id]; }

private:
    ParameterPort ports[kNumParams];
};

} // namespace talvane::lv2
