#include "source/controller/valuestrings.h"
#include "source/params/paramtable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace talvane;

namespace {

class ValueText : public ::testing::Test
{
protected:
    ValueText()
    {
        for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
            values[id] = defaultNormalized(id);
    }

    std::string text(ParamId id, double x)
    {
        char buffer[kValueTextCapacity];
        formatValueText(id, x, values, buffer, sizeof buffer);
        return buffer;
    }

    float values[kNumParams];
};

const std::string kDegree(1, kDegreeSign);

} // namespace

TEST_F(ValueText, VolumeTimesAndCutoff)
{
    EXPECT_EQ(text(kGlobalVolume, 0.8), "51.2 %");
    EXPECT_EQ(text(kGlobalVolume, 1.0), "100.0 %");
    EXPECT_EQ(text(kGlobalVolume, 0.0), "0.0 %");
    EXPECT_EQ(text(kPortamento, 0.5), "1000 ms");
    EXPECT_EQ(text(kPortamento, 1.0), "2000 ms");
    EXPECT_EQ(text(kPortamento, 0.00049), "0 ms") << "truncated";
    EXPECT_EQ(text(kAAttack, 0.0), "0.01 ms");
    EXPECT_EQ(text(kAAttack, 1.0), "4000.00 ms");
    EXPECT_EQ(text(kADecay, 0.0), "5.00 ms");
    EXPECT_EQ(text(kADecay, 1.0), "4000.00 ms");
    EXPECT_EQ(text(kARelease, 0.0), "5.00 ms");
    EXPECT_EQ(text(kARelease, 1.0), "20000.00 ms");
    EXPECT_EQ(text(kARelease, 0.5), "2504.38 ms") << "0.125 * 19995 + 5";
    EXPECT_EQ(text(kFCutoff, 0.5), "640 Hz");
    EXPECT_EQ(text(kFCutoff, 0.0), "20 Hz");
    EXPECT_EQ(text(kFCutoff, 1.0), "20480 Hz");
}

TEST_F(ValueText, EveryEnvelopeStageUsesItsLaw)
{
    for (ParamId id : {kAAttack, kFAttack, kEnv1Attack, kEnv2Attack})
        EXPECT_EQ(text(id, 1.0), "4000.00 ms") << paramRecord(id).title.c_str();
    for (ParamId id : {kADecay, kFDecay, kEnv1Decay, kEnv2Decay})
        EXPECT_EQ(text(id, 0.0), "5.00 ms") << paramRecord(id).title.c_str();
    for (ParamId id : {kARelease, kFRelease, kEnv1Release, kEnv2Release})
        EXPECT_EQ(text(id, 1.0), "20000.00 ms") << paramRecord(id).title.c_str();
}

TEST_F(ValueText, CentredRangesShowTheirSide)
{
    EXPECT_EQ(text(kO1Panning, 0.25), "L 50 %");
    EXPECT_EQ(text(kO1Panning, 0.5), "R 0 %");
    EXPECT_EQ(text(kO1Panning, 1.0), "R 100 %");
    EXPECT_EQ(text(kO1Panning, 0.0), "L 100 %");
    for (ParamId id : {kO2Panning, kO3Panning, kO1SterDeph, kO2SterDeph, kO3SterDeph})
        EXPECT_EQ(text(id, 0.25), "L 50 %") << paramRecord(id).title.c_str();

    EXPECT_EQ(text(kFAmount, 0.0), "-100 %");
    EXPECT_EQ(text(kFAmount, 0.499), "-0 %");
    EXPECT_EQ(text(kFAmount, 0.5), "+0 %");
    EXPECT_EQ(text(kFAmount, 0.75), "+50 %");
    EXPECT_EQ(text(kFAmount, 1.0), "+100 %");

    const ParamId bipolar[] = {kO1WaveStretch, kO2WaveStretch, kO3WaveStretch,   kModWheel,       kPitchBend,
                               kLfo1Clipping,  kLfo2Clipping,  kMatrix1Clipping, kMatrix2Clipping};
    for (ParamId id : bipolar)
        EXPECT_EQ(text(id, 0.75), "+50 %") << paramRecord(id).title.c_str();
    int slotAmounts = 0;
    for (ParamId first :
         {kLfo1Amount1, kLfo2Amount1, kEnv1Amount1, kEnv2Amount1, kMatrix1Amount1, kMatrix2Amount1})
        for (ParamId slot = 0; slot < 4; ++slot, ++slotAmounts)
            EXPECT_EQ(text(first + 2 * slot, 0.25), "-50 %") << paramRecord(first + 2 * slot).title.c_str();
    EXPECT_EQ(slotAmounts, 24);
}

TEST_F(ValueText, PhasesFineTunesAndPercentages)
{
    EXPECT_EQ(text(kLfo1InitPhase, 0.5), "180 " + kDegree);
    for (ParamId id : {kO1PhaseInit, kO2PhaseInit, kO3PhaseInit, kLfo2InitPhase})
        EXPECT_EQ(text(id, 1.0), "360 " + kDegree) << paramRecord(id).title.c_str();

    EXPECT_EQ(text(kO1FineTune, 0.0), "-50.00");
    EXPECT_EQ(text(kO1FineTune, 0.5), "0.00");
    EXPECT_EQ(text(kO1FineTune, 1.0), "50.00");
    EXPECT_EQ(text(kO3FineTune, 0.25), "-25.00");

    for (ParamId id : {kO1Mix, kO2Mix, kO3Mix, kFm3O1O2Mix})
        EXPECT_EQ(text(id, 0.5), "50.0 %") << paramRecord(id).title.c_str();
    const ParamId percentages[] = {kASustain,      kFQ,           kFSustain,    kFmO1O2,     kFm3Amount,
                                   kRm1x2,         kRm1x3,        kRm2x3,       kKeyFollow,  kLfo1Amount,
                                   kLfo2Amount,    kEnv1Amount,   kEnv1Sustain, kEnv2Amount, kEnv2Sustain,
                                   kMatrix1Amount, kMatrix2Amount};
    for (ParamId id : percentages)
    {
        EXPECT_EQ(text(id, 0.25), "25.0 %") << paramRecord(id).title.c_str();
        EXPECT_EQ(text(id, 1.0), "100.0 %") << paramRecord(id).title.c_str();
    }
}

TEST_F(ValueText, LfoFrequencyFollowsItsOwnSyncSwitch)
{
    EXPECT_EQ(text(kLfo1Freq, 0.0), "0.10 Hz");
    EXPECT_EQ(text(kLfo1Freq, 0.1), "1.24 Hz");
    EXPECT_EQ(text(kLfo1Freq, 0.5), "43.8 Hz");
    const std::string top = text(kLfo1Freq, 1.0);
    EXPECT_TRUE(top == "1999 Hz" || top == "2000 Hz") << top;

    values[kLfo1Sync] = 1.0f;
    EXPECT_EQ(text(kLfo1Freq, 0.0), "16 D");
    EXPECT_EQ(text(kLfo1Freq, 1.0), "1/256 T") << "index limited to 38";
    EXPECT_EQ(text(kLfo1Freq, 0.5), "1/4") << "truncate(19.5)";
    EXPECT_EQ(text(kLfo2Freq, 0.0), "0.10 Hz") << "LFO 2 has its own switch";

    values[kLfo2Sync] = 1.0f;
    values[kLfo1Sync] = 0.5f; // not above one half: off
    EXPECT_EQ(text(kLfo2Freq, 0.0), "16 D");
    EXPECT_EQ(text(kLfo1Freq, 0.0), "0.10 Hz");
}

TEST_F(ValueText, DiscreteParametersShowTheirPlainNumber)
{
    EXPECT_EQ(text(kO1Waveform, 1.0 / 13.0), "1");
    EXPECT_EQ(text(kFType, 1.0), "4");
    EXPECT_EQ(text(kO1Octave, 0.0), "-3");
    EXPECT_EQ(text(kO1Detune, 0.45), "-1");
    EXPECT_EQ(text(kPolyphony, 1.0), "16");
    EXPECT_EQ(text(kRefOctave, 5.0 / 9.0), "5") << "the plain value, not the octave's name";
    EXPECT_EQ(text(kFOn, 1.0), "1");
    EXPECT_EQ(text(kMatrix2Target4, 1.0), "83");
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        if (isDiscrete(id))
        {
            EXPECT_EQ(text(id, 0.0), std::to_string(paramRecord(id).minValue))
                << paramRecord(id).title.c_str();
        }
    }
}

TEST_F(ValueText, NumbersOutsideTheRangeShowTheNearestEnd)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        EXPECT_EQ(text(id, 1.0e300), text(id, 1.0)) << paramRecord(id).title.c_str();
        EXPECT_EQ(text(id, -7.0), text(id, 0.0)) << paramRecord(id).title.c_str();
        EXPECT_EQ(text(id, nan), text(id, 0.0)) << paramRecord(id).title.c_str();
    }
}

TEST(ValueTextWidening, DegreeSignBecomesOneUnitAndTheTextIsCutAt127Units)
{
    char16_t units[kValueTextCapacity];
    widenLatin1("180 \xB0", units, kValueTextCapacity);
    EXPECT_EQ(std::u16string(units), u"180 \u00B0");

    const std::string longText(300, 'x');
    for (char16_t& unit : units)
        unit = u'?';
    widenLatin1(longText.c_str(), units, kValueTextCapacity);
    EXPECT_EQ(std::u16string(units), std::u16string(127, u'x'));

    widenLatin1("", units, kValueTextCapacity);
    EXPECT_EQ(units[0], u'\0');
    widenLatin1(nullptr, units, kValueTextCapacity);
    EXPECT_EQ(units[0], u'\0');
}

TEST(ValueTextFormatting, ShortBuffersAreCutAndTerminated)
{
    float values[kNumParams] = {};
    char buffer[4] = {'?', '?', '?', '?'};
    formatValueText(kARelease, 1.0, values, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "200");
}
