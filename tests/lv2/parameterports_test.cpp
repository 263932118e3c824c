// The parameters as LV2 ports: what each port says of itself, and the conversions between port
// values and the normalized values the processor takes, against worked figures.
#include "lv2/parameterports.h"
#include "source/params/paramids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

using namespace talvane;
using namespace talvane::lv2;

namespace {

double toNormalized(ParamId id, float portValue)
{
    double normalized = -1.0;
    EXPECT_TRUE(normalizedFromPortValue(describeParameterPort(id), id, portValue, normalized));
    return normalized;
}

float toPort(ParamId id, double normalized)
{
    return portValueFromNormalized(describeParameterPort(id), id, normalized);
}

bool isValidSymbol(const char* symbol)
{
    if (!symbol[0] || (symbol[0] >= '0' && symbol[0] <= '9'))
        return false;
    for (const char* c = symbol; *c; ++c)
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '_'))
            return false;
    return true;
}

} // namespace

TEST(ParameterPorts, SymbolsAreTheTitlesMadeValidAndAllDiffer)
{
    EXPECT_STREQ(describeParameterPort(kGlobalVolume).symbol, "GlobalVolume");
    EXPECT_STREQ(describeParameterPort(kO1WaveStretch).symbol, "O1_WaveStrech");
    // Titles with characters a symbol cannot hold keep their title as the name.
    EXPECT_STREQ(describeParameterPort(51).symbol, "FM_O1__O2");
    EXPECT_STREQ(describeParameterPort(51).name, "FM_O1->O2");
    EXPECT_STREQ(describeParameterPort(53).symbol, "FM3_O1_O2_Mix");
    EXPECT_STREQ(describeParameterPort(53).name, "FM3_O1/O2_Mix");

    std::set<std::string> symbols;
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        const ParameterPort port = describeParameterPort(id);
        EXPECT_TRUE(isValidSymbol(port.symbol)) << port.symbol;
        symbols.insert(port.symbol);
    }
    EXPECT_EQ(symbols.size(), static_cast<std::size_t>(kNumParams));
}

TEST(ParameterPorts, KindsRangesDefaultsAndUnits)
{
    const ParameterPort volume = describeParameterPort(kGlobalVolume);
    EXPECT_EQ(volume.kind, PortKind::Continuous);
    EXPECT_EQ(volume.minimum, 0.0f);
    EXPECT_EQ(volume.maximum, 1.0f);
    EXPECT_EQ(volume.defaultValue, 0.8f);
    EXPECT_EQ(volume.unit, PortUnit::Unitless);

    const ParameterPort octave = describeParameterPort(kO2Octave);
    EXPECT_EQ(octave.kind, PortKind::Integer);
    EXPECT_EQ(octave.minimum, -3.0f);
    EXPECT_EQ(octave.maximum, 3.0f);
    EXPECT_EQ(octave.defaultValue, 0.0f);
    EXPECT_EQ(octave.unit, PortUnit::Octaves);

    const ParameterPort detune = describeParameterPort(kO3Detune);
    EXPECT_EQ(detune.minimum, -12.0f);
    EXPECT_EQ(detune.maximum, 12.0f);
    EXPECT_EQ(detune.unit, PortUnit::Semitones);

    const ParameterPort bendUp = describeParameterPort(kPbUp);
    EXPECT_EQ(bendUp.kind, PortKind::Integer);
    EXPECT_EQ(bendUp.maximum, 36.0f);
    EXPECT_EQ(bendUp.defaultValue, 1.0f);
    EXPECT_EQ(bendUp.unit, PortUnit::Semitones);

    const ParameterPort polyphony = describeParameterPort(kPolyphony);
    EXPECT_EQ(polyphony.kind, PortKind::Integer);
    EXPECT_EQ(polyphony.minimum, 1.0f);
    EXPECT_EQ(polyphony.maximum, 16.0f);
    EXPECT_EQ(polyphony.defaultValue, 16.0f);
    EXPECT_EQ(polyphony.unit, PortUnit::Unitless);

    const ParameterPort filterOn = describeParameterPort(kFOn);
    EXPECT_EQ(filterOn.kind, PortKind::Toggle);
    EXPECT_EQ(filterOn.defaultValue, 1.0f);
    EXPECT_FALSE(filterOn.trigger);
    EXPECT_TRUE(describeParameterPort(kPanic).trigger);
}

TEST(ParameterPorts, ListsAreEnumerationsNamingEachValue)
{
    const ParameterPort filterType = describeParameterPort(kFType);
    EXPECT_EQ(filterType.kind, PortKind::Enumeration);
    ASSERT_EQ(filterType.scalePointCount, 5);
    EXPECT_STREQ(filterType.scalePoints[0], "LP");
    EXPECT_STREQ(filterType.scalePoints[4], "Notch");

    const ParameterPort refOctave = describeParameterPort(kRefOctave);
    EXPECT_EQ(refOctave.kind, PortKind::Enumeration);
    EXPECT_EQ(refOctave.defaultValue, 5.0f);
    ASSERT_EQ(refOctave.scalePointCount, 10);
    EXPECT_STREQ(refOctave.scalePoints[0], "-2");
    EXPECT_STREQ(refOctave.scalePoints[5], "3");

    const ParameterPort target = describeParameterPort(kMatrix2Target4);
    EXPECT_EQ(target.kind, PortKind::Enumeration);
    ASSERT_EQ(target.scalePointCount, 84);
    EXPECT_STREQ(target.scalePoints[15], "OSC1 | Pitch");
    EXPECT_EQ(target.maximum, 83.0f);

    // The amount beside a destination is continuous.
    EXPECT_EQ(describeParameterPort(kMatrix2Amount4).kind, PortKind::Continuous);

    int counts[4] = {};
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
        ++counts[static_cast<int>(describeParameterPort(id).kind)];
    EXPECT_EQ(counts[static_cast<int>(PortKind::Continuous)], 86);
    EXPECT_EQ(counts[static_cast<int>(PortKind::Toggle)], 15);
    EXPECT_EQ(counts[static_cast<int>(PortKind::Integer)], 9);
    EXPECT_EQ(counts[static_cast<int>(PortKind::Enumeration)], 37);
}

TEST(ParameterPorts, PortValuesBecomeTheNormalizedValuesAVst3HostSends)
{
    // Continuous: the value itself, held to 0..1.
    EXPECT_EQ(toNormalized(kFCutoff, 0.3f), static_cast<double>(0.3f));
    EXPECT_EQ(toNormalized(kFCutoff, 1.5f), 1.0);
    EXPECT_EQ(toNormalized(kFCutoff, -0.5f), 0.0);
    // Steps: plain value k of N steps from m is (k - m) / (N - 1).
    EXPECT_EQ(toNormalized(kO1Octave, -3.0f), 0.0);
    EXPECT_EQ(toNormalized(kO1Octave, 0.0f), 0.5);
    EXPECT_EQ(toNormalized(kO1Octave, 3.0f), 1.0);
    EXPECT_FLOAT_EQ(static_cast<float>(toNormalized(kO1Octave, -1.0f)), 2.0f / 6.0f);
    EXPECT_EQ(toNormalized(kPolyphony, 1.0f), 0.0);
    EXPECT_EQ(toNormalized(kPolyphony, 16.0f), 1.0);
    EXPECT_EQ(toNormalized(kFType, 4.0f), 1.0);
    EXPECT_EQ(toNormalized(kFOn, 0.0f), 0.0);
    // A generic slider between steps lands on the nearest step, and never beyond the range.
    EXPECT_EQ(toNormalized(kO1Octave, 0.4f), 0.5);
    EXPECT_EQ(toNormalized(kO1Octave, 2.6f), 1.0);
    EXPECT_EQ(toNormalized(kO1Octave, 7.0f), 1.0);
    EXPECT_EQ(toNormalized(kPolyphony, 0.0f), 0.0);

    double untouched = 0.25;
    EXPECT_FALSE(normalizedFromPortValue(describeParameterPort(kFQ), kFQ, NAN, untouched));
    EXPECT_EQ(untouched, 0.25);
}

TEST(ParameterPorts, NormalizedValuesShowAsThePlainValueTheProcessorReads)
{
    EXPECT_EQ(toPort(kFCutoff, 0.3), 0.3f);
    // 7 * 0.52 - 3 = 0.64: octave 0, as the processor reads it.
    EXPECT_EQ(toPort(kO1Octave, 0.52), 0.0f);
    EXPECT_EQ(toPort(kO1Octave, 0.1), -3.0f);
    EXPECT_EQ(toPort(kO1Octave, 1.0), 3.0f);
    EXPECT_EQ(toPort(kPolyphony, 1.0), 16.0f);
    EXPECT_EQ(toPort(kLfo1Dest1, 15.0 / 83.0), 15.0f);
    EXPECT_EQ(toPort(kFOn, 1.0), 1.0f);
    EXPECT_EQ(toPort(kFCutoff, 2.0), 1.0f);
    // Every step of every stepped parameter survives the round trip.
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        const ParameterPort port = describeParameterPort(id);
        if (port.kind == PortKind::Continuous)
            continue;
        for (float value = port.minimum; value <= port.maximum; value += 1.0f)
            EXPECT_EQ(toPort(id, toNormalized(id, value)), value) << port.symbol << " " << value;
    }
}

// A port is described from a parameter's facts alone, whatever record they come from.
TEST(ParameterPorts, APortIsDescribedFromTheParametersFactsAlone)
{
    static const char* const kShapes[] = {"Round", "Sharp", "Hollow"};
    const ParameterPort list =
        describeParameterPort(ParameterFacts{"Shape/Mode", 3, 2, 3.0f, {kShapes, 3}, PortUnit::Unitless, false});
    EXPECT_STREQ(list.symbol, "Shape_Mode");
    EXPECT_STREQ(list.name, "Shape/Mode");
    EXPECT_EQ(list.kind, PortKind::Enumeration);
    EXPECT_EQ(list.minimum, 2.0f);
    EXPECT_EQ(list.maximum, 4.0f);
    EXPECT_EQ(list.defaultValue, 3.0f);
    ASSERT_EQ(list.scalePointCount, 3);
    EXPECT_STREQ(list.scalePoints[2], "Hollow");

    const ParameterPort number =
        describeParameterPort(ParameterFacts{"Shift", 25, -12, 0.0f, {nullptr, 0}, PortUnit::Semitones, false});
    EXPECT_EQ(number.kind, PortKind::Integer);
    EXPECT_EQ(number.minimum, -12.0f);
    EXPECT_EQ(number.maximum, 12.0f);
    EXPECT_EQ(number.unit, PortUnit::Semitones);
    EXPECT_EQ(number.scalePointCount, 0);

    const ParameterPort toggle =
        describeParameterPort(ParameterFacts{"Reset", 2, 0, 0.0f, {nullptr, 0}, PortUnit::Unitless, true});
    EXPECT_EQ(toggle.kind, PortKind::Toggle);
    EXPECT_EQ(toggle.maximum, 1.0f);
    EXPECT_TRUE(toggle.trigger);

    const ParameterPort level =
        describeParameterPort(ParameterFacts{"Level", 0, 0, 0.25f, {nullptr, 0}, PortUnit::Unitless, false});
    EXPECT_EQ(level.kind, PortKind::Continuous);
    EXPECT_EQ(level.minimum, 0.0f);
    EXPECT_EQ(level.maximum, 1.0f);
    EXPECT_EQ(level.defaultValue, 0.25f);
    EXPECT_FALSE(level.trigger);
}
