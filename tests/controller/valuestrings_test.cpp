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

    // The normalized value a typed text gives, or -1 where the text is refused.
    double read(ParamId id, const std::string& typed)
    {
        double x = -1.0;
        return parseValueText(id, typed.c_str(), values, x) ? x : -1.0;
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

TEST_F(ValueText, TypedNumbersReadBackWithOrWithoutTheirUnit)
{
    EXPECT_EQ(read(kO1Mix, "50 %"), 0.5);
    EXPECT_EQ(read(kO1Mix, "50.0%"), 0.5);
    EXPECT_EQ(read(kO1Mix, " 25 "), 0.25);
    EXPECT_EQ(read(kO1Mix, "120 %"), 1.0) << "the nearest end";
    EXPECT_EQ(read(kO1Mix, "-5 %"), 0.0);
    EXPECT_NEAR(read(kGlobalVolume, "51.2 %"), 0.8, 1e-12) << "the cube root of 0.512";

    EXPECT_EQ(read(kPortamento, "1000 ms"), 0.5);
    EXPECT_EQ(read(kPortamento, "1 s"), 0.5);
    EXPECT_EQ(read(kPortamento, "2.0 s"), 1.0);
    // (2000 - 0.01) / 3999.99 = 0.49999875 of the span; its cube root is 0.7936999.
    EXPECT_NEAR(read(kAAttack, "2.0 s"), 0.7936999, 1e-7);
    EXPECT_EQ(read(kAAttack, "2000 MS"), read(kAAttack, "2.0 s"));
    EXPECT_NEAR(read(kARelease, "2504.38 ms"), 0.5, 1e-6);
    EXPECT_EQ(read(kARelease, "20 s"), 1.0);
    EXPECT_EQ(read(kADecay, "1 ms"), 0.0) << "below the shortest";

    EXPECT_EQ(read(kFCutoff, "640 Hz"), 0.5);
    EXPECT_EQ(read(kFCutoff, "20480"), 1.0);
    EXPECT_EQ(text(kFCutoff, read(kFCutoff, "1 kHz")), "1000 Hz");

    EXPECT_EQ(read(kO1PhaseInit, "90 \xB0"), 0.25);
    EXPECT_EQ(read(kO1PhaseInit, "90 deg"), 0.25);
    EXPECT_EQ(read(kO1PhaseInit, "90"), 0.25);
    EXPECT_EQ(read(kO1FineTune, "-25.00"), 0.25);
    EXPECT_EQ(text(kO1FineTune, read(kO1FineTune, "-0.00")), "-0.00");
}

TEST_F(ValueText, TypedSidesAndSignsReadBack)
{
    EXPECT_EQ(read(kO1Panning, "L 50 %"), 0.25);
    EXPECT_EQ(read(kO1Panning, "r 100%"), 1.0);
    EXPECT_EQ(read(kO1Panning, "R 0 %"), 0.5);
    EXPECT_EQ(read(kO1Panning, "-50"), 0.25);
    EXPECT_EQ(text(kO1Panning, read(kO1Panning, "L 0 %")), "L 0 %");
    EXPECT_EQ(read(kFAmount, "+50 %"), 0.75);
    EXPECT_EQ(read(kFAmount, "-100 %"), 0.0);
    EXPECT_EQ(text(kFAmount, read(kFAmount, "-0 %")), "-0 %");
}

TEST_F(ValueText, TypedNamesAndPlainNumbersReadBack)
{
    EXPECT_EQ(read(kO1Waveform, "Sine"), normalizedFromIndex(kO1Waveform, 1));
    EXPECT_EQ(read(kO1Waveform, "1"), normalizedFromIndex(kO1Waveform, 1));
    EXPECT_EQ(read(kFType, "Notch"), 1.0);
    EXPECT_EQ(read(kO2Octave, "-3"), 0.0);
    EXPECT_EQ(read(kO2Octave, "9"), 1.0) << "the nearest end";
    EXPECT_EQ(read(kFOn, "0"), 0.0);
    EXPECT_EQ(read(kLfo1Dest1, "None"), 0.0);

    values[kLfo1Sync] = 1.0f;
    EXPECT_EQ(text(kLfo1Freq, read(kLfo1Freq, "1/4")), "1/4");
    EXPECT_EQ(read(kLfo1Freq, "1/4"), 19.5 / 39.0) << "the middle of the division's share";
    EXPECT_EQ(read(kLfo1Freq, "3 Hz"), -1.0) << "a synced LFO reads divisions";
    values[kLfo1Sync] = 0.0f;
    EXPECT_EQ(read(kLfo1Freq, "1/4"), -1.0);
    EXPECT_EQ(read(kLfo1Freq, "0.1 Hz"), 0.0);
    EXPECT_EQ(text(kLfo1Freq, read(kLfo1Freq, "1.24 Hz")), "1.24 Hz");
    EXPECT_NEAR(read(kLfo1Freq, "2 kHz"), 1.0, 1e-5);
}

TEST_F(ValueText, TextsThatAreNoValueAreRefused)
{
    for (const char* typed : {"", "  ", "abc", "50 furlongs", "nan", "inf", "1e999", "% 50"})
        for (ParamId id : {kO1Mix, kAAttack, kFCutoff, kO1Panning, kO1PhaseInit, kO1FineTune, kO1Octave})
            EXPECT_EQ(read(id, typed), -1.0) << paramRecord(id).title.c_str() << " '" << typed << "'";
    EXPECT_EQ(read(kO1Waveform, "Sawtooth"), -1.0);
    double untouched = 0.3;
    EXPECT_FALSE(parseValueText(kO1Mix, nullptr, values, untouched));
    EXPECT_FALSE(parseValueText(kNumParams, "50 %", values, untouched));
    EXPECT_EQ(untouched, 0.3);
}

// Every text of every parameter reads back as a value that shows the same text: the typed value a
// host passes on is always one the parameter can show.
TEST_F(ValueText, EveryShownTextReadsBackToItself)
{
    for (bool synced : {false, true})
    {
        values[kLfo1Sync] = values[kLfo2Sync] = synced ? 1.0f : 0.0f;
        for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
            for (int step = 0; step <= 1000; ++step)
            {
                const double x = step / 1000.0;
                const std::string shown = text(id, x);
                const double back = read(id, shown);
                ASSERT_GE(back, 0.0) << paramRecord(id).title.c_str() << " '" << shown << "'";
                EXPECT_EQ(text(id, back), shown) << paramRecord(id).title.c_str() << " at " << x;
            }
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

TEST(ValueTextNarrowing, KeepsLatin1AndRefusesWiderUnitsAndOverlongTexts)
{
    char text[8];
    EXPECT_TRUE(narrowToLatin1(u"90 \u00B0", text, sizeof text));
    EXPECT_STREQ(text, "90 \xB0");
    EXPECT_FALSE(narrowToLatin1(u"90 \u2103", text, sizeof text));
    EXPECT_FALSE(narrowToLatin1(u"12345678", text, sizeof text)) << "no room for the terminator";
    EXPECT_TRUE(narrowToLatin1(u"1234567", text, sizeof text));
    EXPECT_FALSE(narrowToLatin1(nullptr, text, sizeof text));
}

TEST(ValueTextFormatting, ShortBuffersAreCutAndTerminated)
{
    float values[kNumParams] = {};
    char buffer[4] = {'?', '?', '?', '?'};
    formatValueText(kARelease, 1.0, values, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "200");
}
