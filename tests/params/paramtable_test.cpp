#include "source/params/paramtable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

using namespace talvane;

TEST(ParamTable, IdsAreDenseAndOnlyTheStateTableIsStepped)
{
    int stepped = 0;
    for (int i = 0; i < kNumParams; ++i)
    {
        EXPECT_EQ(kParamDefs[i].id, i);
        EXPECT_EQ(kParamDefs[i].flags, 0);
        EXPECT_NE(kParamDefs[i].numValues, 1) << kParamNames[i];
        if (kParamDefs[i].numValues > 0)
            ++stepped;
    }
    EXPECT_EQ(stepped, 61);
}

TEST(ParamTable, RepeatedBlocksShareTheirLayout)
{
    for (int osc = 1; osc < 3; ++osc)
        for (ParamId offset = 0; offset < osc_param::kStride; ++offset)
        {
            const ParamId id = osc_param::kFirst + osc * osc_param::kStride + offset;
            EXPECT_EQ(std::strcmp(kParamNames[id] + 2, kParamNames[osc_param::kFirst + offset] + 2), 0)
                << kParamNames[id];
            EXPECT_EQ(kParamDefs[id].numValues, kParamDefs[osc_param::kFirst + offset].numValues);
        }
    EXPECT_STREQ(kParamNames[kO1WaveStretch], "O1_WaveStrech");
    EXPECT_STREQ(kParamNames[kO3SterDeph], "O3_SterDeph");
    EXPECT_STREQ(kParamNames[kFmO1O2], "FM_O1->O2");
    EXPECT_STREQ(kParamNames[kFm3O1O2Mix], "FM3_O1/O2_Mix");
    EXPECT_STREQ(kParamNames[kLfo2Dest4], "LFO2_Dest4");
    EXPECT_STREQ(kParamNames[kEnv2Amount4], "ENV2_Amount4");
    EXPECT_STREQ(kParamNames[kMatrix2Amount4], "MATRIX2_Amount4");
    EXPECT_STREQ(kParamCaptions[kFm3O1O2Mix], "FM3 O1/2");
    EXPECT_STREQ(kParamCaptions[kRefNote], "REF NOTE");

    std::set<std::string> titles(std::begin(kParamNames), std::end(kParamNames));
    EXPECT_EQ(titles.size(), static_cast<size_t>(kNumParams)) << "titles must be unique";
}

TEST(ParamTable, EveryDiscreteValueRoundTrips)
{
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        const ParamDef& def = kParamDefs[id];
        if (def.numValues == 0)
            continue;
        for (int plain = def.minValue; plain < def.minValue + def.numValues; ++plain)
            EXPECT_EQ(indexFromNormalized(id, normalizedFromIndex(id, plain)), plain) << kParamNames[id];
        EXPECT_EQ(indexFromNormalized(id, 0.0f), def.minValue);
        EXPECT_EQ(indexFromNormalized(id, 1.0f), def.minValue + def.numValues - 1)
            << "1.0 is in the last bin";
    }
}

TEST(ParamTable, NegativePlainValuesRoundDown)
{
    EXPECT_EQ(indexFromNormalized(kO1Octave, 0.0f), -3);
    EXPECT_EQ(indexFromNormalized(kO1Octave, 0.1f), -3) << "floor, not truncation toward zero";
    EXPECT_EQ(indexFromNormalized(kO1Octave, 0.5f), 0);
    EXPECT_EQ(indexFromNormalized(kO1Octave, 0.99f), 3);
    EXPECT_EQ(indexFromNormalized(kO1Octave, 1.0f), 3);
    EXPECT_EQ(indexFromNormalized(kO1Detune, 0.45f), -1);
    EXPECT_EQ(indexFromNormalized(kFType, 0.3f), 1);
}

TEST(ParamTable, DefaultsMatchTheInstrumentsInitialPatch)
{
    EXPECT_FLOAT_EQ(defaultNormalized(kGlobalVolume), 0.8f);
    EXPECT_EQ(defaultNormalized(kPolyphony), 1.0f) << "plain 16 of 1..16";
    EXPECT_EQ(indexFromNormalized(kPolyphony, 0.0f), 1) << "Polyphony has no value 0";
    EXPECT_FLOAT_EQ(defaultNormalized(kPbUp), 1.0f / 36.0f);
    EXPECT_FLOAT_EQ(defaultNormalized(kRefOctave), 5.0f / 9.0f);
    EXPECT_FLOAT_EQ(defaultNormalized(kRefNote), 9.0f / 11.0f);
    EXPECT_STREQ(kOctaveNames[indexFromNormalized(kRefOctave, defaultNormalized(kRefOctave))], "3");
    EXPECT_STREQ(kNoteNames[indexFromNormalized(kRefNote, defaultNormalized(kRefNote))], "A");
    EXPECT_FLOAT_EQ(defaultNormalized(kLfo1Waveform), 1.0f / 13.0f);
    EXPECT_EQ(defaultNormalized(kO1Octave), 0.5f);
    EXPECT_EQ(defaultNormalized(kO1Detune), 0.5f);
    EXPECT_EQ(defaultNormalized(kO1On), 1.0f);
    EXPECT_EQ(defaultNormalized(kO2On), 0.0f);
    EXPECT_EQ(defaultNormalized(kFOn), 1.0f);
    EXPECT_FLOAT_EQ(defaultNormalized(kEnv2Decay), 0.1f);
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        EXPECT_GE(defaultNormalized(id), 0.0f) << kParamNames[id];
        EXPECT_LE(defaultNormalized(id), 1.0f) << kParamNames[id];
    }
}

TEST(ParamTable, NameListsHaveTheirEntries)
{
    EXPECT_STREQ(kWaveformNames[13], "Half Rectified");
    EXPECT_STREQ(kModSourceNames[9], "Lfo2");
    EXPECT_STREQ(kSyncDivisionNames[13], "1");
    EXPECT_STREQ(kSyncDivisionNames[19], "1/4");
    EXPECT_STREQ(kSyncDivisionNames[38], "1/256 T");
    EXPECT_STREQ(kModDestNames[15], "OSC1 | Pitch");
    EXPECT_STREQ(kModDestNames[39], "LFO1 | Freq");
    EXPECT_STREQ(kModDestNames[83], "MAT2 | Slot4Amount");
    // Every destination parameter selects from the one destination list.
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        if (std::strstr(kParamNames[id], "_Dest") || std::strstr(kParamNames[id], "_Target"))
        {
            EXPECT_EQ(kParamDefs[id].numValues, kNumModDestinations) << kParamNames[id];
        }
    }
}
