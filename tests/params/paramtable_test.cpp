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
        EXPECT_EQ(paramRecord(i).id, i);
        EXPECT_NE(paramRecord(i).numValues, 1) << paramRecord(i).title.c_str();
        if (paramRecord(i).numValues > 0)
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
            EXPECT_EQ(std::strcmp(paramRecord(id).title.c_str() + 2,
                                  paramRecord(osc_param::kFirst + offset).title.c_str() + 2),
                      0)
                << paramRecord(id).title.c_str();
            EXPECT_EQ(paramRecord(id).numValues, paramRecord(osc_param::kFirst + offset).numValues);
        }
    EXPECT_STREQ(paramRecord(kO1WaveStretch).title.c_str(), "O1_WaveStrech");
    EXPECT_STREQ(paramRecord(kO3SterDeph).title.c_str(), "O3_SterDeph");
    EXPECT_STREQ(paramRecord(kFmO1O2).title.c_str(), "FM_O1->O2");
    EXPECT_STREQ(paramRecord(kFm3O1O2Mix).title.c_str(), "FM3_O1/O2_Mix");
    EXPECT_STREQ(paramRecord(kLfo2Dest4).title.c_str(), "LFO2_Dest4");
    EXPECT_STREQ(paramRecord(kEnv2Amount4).title.c_str(), "ENV2_Amount4");
    EXPECT_STREQ(paramRecord(kMatrix2Amount4).title.c_str(), "MATRIX2_Amount4");
    EXPECT_STREQ(paramRecord(kFm3O1O2Mix).caption.c_str(), "FM3 O1/2");
    EXPECT_STREQ(paramRecord(kRefNote).caption.c_str(), "REF NOTE");

    std::set<std::string> titles;
    for (const ParamRecord& record : kParamRecords)
        titles.insert(record.title.c_str());
    EXPECT_EQ(titles.size(), static_cast<size_t>(kNumParams)) << "titles must be unique";
}

TEST(ParamTable, EveryDiscreteValueRoundTrips)
{
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        const ParamRecord& def = paramRecord(id);
        if (def.numValues == 0)
            continue;
        for (int plain = def.minValue; plain < def.minValue + def.numValues; ++plain)
            EXPECT_EQ(indexFromNormalized(id, normalizedFromIndex(id, plain)), plain)
                << paramRecord(id).title.c_str();
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
        EXPECT_GE(defaultNormalized(id), 0.0f) << paramRecord(id).title.c_str();
        EXPECT_LE(defaultNormalized(id), 1.0f) << paramRecord(id).title.c_str();
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
        if (std::strstr(paramRecord(id).title.c_str(), "_Dest") ||
            std::strstr(paramRecord(id).title.c_str(), "_Target"))
        {
            EXPECT_EQ(paramRecord(id).numValues, kNumModDestinations) << paramRecord(id).title.c_str();
        }
    }
}

TEST(ParamRecords, KindsNamesAndSampleRateDependence)
{
    EXPECT_EQ(paramRecord(kGlobalVolume).kind, ParamKind::Continuous);
    EXPECT_EQ(paramRecord(kFOn).kind, ParamKind::Toggle);
    EXPECT_EQ(paramRecord(kPanic).kind, ParamKind::Toggle);
    EXPECT_EQ(paramRecord(kO2Octave).kind, ParamKind::Stepped);
    EXPECT_EQ(paramRecord(kPolyphony).kind, ParamKind::Stepped);
    EXPECT_EQ(paramRecord(kFType).kind, ParamKind::List);
    EXPECT_EQ(paramRecord(kMatrix2Target3).kind, ParamKind::List);

    EXPECT_EQ(nameListOf(kRefNote).count, 12);
    EXPECT_STREQ(nameListOf(kRefNote).names[9], "A");
    EXPECT_STREQ(nameListOf(kLfo2Dest3).names[39], "LFO1 | Freq");
    EXPECT_EQ(nameListOf(kO1Detune).count, 0) << "a stepped parameter shows numbers";

    // The attack, decay and release of the four envelopes, and nothing else.
    std::set<ParamId> followsRate;
    for (const ParamRecord& record : kParamRecords)
        if (record.followsSampleRate)
            followsRate.insert(record.id);
    EXPECT_EQ(followsRate,
              (std::set<ParamId>{kAAttack, kADecay, kARelease, kFAttack, kFDecay, kFRelease, kEnv1Attack,
                                 kEnv1Decay, kEnv1Release, kEnv2Attack, kEnv2Decay, kEnv2Release}));
}

// The (destination, amount) pairs that end the LFO, envelope and matrix blocks, and the numbers that
// count octaves or semitones, picked out of all 147 parameters.
TEST(ParamRecords, RoutingSlotsAndUnitsAreFoundByTheirRecords)
{
    std::set<ParamId> destinations;
    std::set<ParamId> amounts;
    std::set<ParamId> octaves;
    std::set<ParamId> semitones;
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        if (isSlotDestination(id))
            destinations.insert(id);
        if (isSlotAmount(id))
            amounts.insert(id);
        if (paramRecord(id).unit == PlainUnit::Octaves)
            octaves.insert(id);
        if (paramRecord(id).unit == PlainUnit::Semitones)
            semitones.insert(id);
    }
    EXPECT_EQ(destinations,
              (std::set<ParamId>{kLfo1Dest1,      kLfo1Dest2,      kLfo1Dest3,      kLfo1Dest4,
                                 kLfo2Dest1,      kLfo2Dest2,      kLfo2Dest3,      kLfo2Dest4,
                                 kEnv1Dest1,      kEnv1Dest2,      kEnv1Dest3,      kEnv1Dest4,
                                 kEnv2Dest1,      kEnv2Dest2,      kEnv2Dest3,      kEnv2Dest4,
                                 kMatrix1Target1, kMatrix1Target2, kMatrix1Target3, kMatrix1Target4,
                                 kMatrix2Target1, kMatrix2Target2, kMatrix2Target3, kMatrix2Target4}));
    EXPECT_EQ(amounts,
              (std::set<ParamId>{kLfo1Amount1,    kLfo1Amount2,    kLfo1Amount3,    kLfo1Amount4,
                                 kLfo2Amount1,    kLfo2Amount2,    kLfo2Amount3,    kLfo2Amount4,
                                 kEnv1Amount1,    kEnv1Amount2,    kEnv1Amount3,    kEnv1Amount4,
                                 kEnv2Amount1,    kEnv2Amount2,    kEnv2Amount3,    kEnv2Amount4,
                                 kMatrix1Amount1, kMatrix1Amount2, kMatrix1Amount3, kMatrix1Amount4,
                                 kMatrix2Amount1, kMatrix2Amount2, kMatrix2Amount3, kMatrix2Amount4}));
    EXPECT_FALSE(isSlotDestination(static_cast<ParamId>(kNumParams)));
    EXPECT_FALSE(isSlotAmount(static_cast<ParamId>(kNumParams)));
    EXPECT_EQ(octaves, (std::set<ParamId>{kO1Octave, kO2Octave, kO3Octave}));
    EXPECT_EQ(semitones, (std::set<ParamId>{kO1Detune, kO2Detune, kO3Detune, kPbUp, kPbDown}));
}

TEST(ParamRecords, EngineQuantitiesOfWorkedExamples)
{
    EXPECT_EQ(engineQuantity(kGlobalVolume, 0.5f), 0.125f);
    EXPECT_EQ(engineQuantity(kPortamento, 0.25f), 0.5f) << "seconds";
    EXPECT_EQ(engineQuantity(kPortamento, 1.0f), 2.0f) << "seconds";
    EXPECT_EQ(engineQuantity(kO2FineTune, 0.25f), -0.5f) << "semitones";
    EXPECT_EQ(engineQuantity(kO3Octave, 1.0f), 36.0f) << "semitones";
    EXPECT_EQ(engineQuantity(kO1Detune, 0.0f), -12.0f);
    EXPECT_EQ(engineQuantity(kFAmount, 0.75f), 0.5f);
    EXPECT_EQ(engineQuantity(kLfo1Amount2, 0.25f), -0.5f) << "before shaping for the destination";
    EXPECT_FLOAT_EQ(engineQuantity(kARelease, 1.0f), 20.0f) << "seconds";
    EXPECT_FLOAT_EQ(engineQuantity(kEnv1Decay, 0.0f), 0.005f) << "seconds";
    EXPECT_FLOAT_EQ(engineQuantity(kFAttack, 1.0f), 4.0f) << "seconds";
    EXPECT_EQ(engineQuantity(kEnv2Type, 1.0f), 4.0f) << "truncated: one past the last type";
    EXPECT_EQ(engineQuantity(kPolyphony, 0.0f), 1.0f);
    EXPECT_EQ(engineQuantity(kFCutoff, 0.3f), 0.3f) << "the engine turns the position into hertz";
}
