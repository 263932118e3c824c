#include "source/engine/lookuptables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

using namespace talvane;

namespace {
constexpr int kSteps = LookupTables::kStepsPerSemitone;
}

TEST(NoteFrequencyTable, SemitoneStepsFromNoteZero)
{
    const float* hz = LookupTables::shared().noteFrequencyTable();
    EXPECT_NEAR(hz[0], 8.1758, 1e-4);
    EXPECT_EQ(hz[69 * kSteps], 440.0f);
    EXPECT_NEAR(hz[60 * kSteps], 261.6256, 1e-3);
    EXPECT_NEAR(hz[69 * kSteps + kSteps / 2], 440.0 * std::pow(2.0, 0.5 / 12.0), 1e-4);
    for (int i = 1; i < LookupTables::kNoteFrequencyLength; ++i)
        ASSERT_GT(hz[i], hz[i - 1]) << i;
    for (int i = 0; i + 12 * kSteps < LookupTables::kNoteFrequencyLength; i += 997)
        EXPECT_NEAR(hz[i + 12 * kSteps] / hz[i], 2.0, 1e-6) << "an octave doubles, entry " << i;
}

TEST(NoteFrequencyTable, NoteToHzReadsTheTableBelowOneAndComputesAbove)
{
    const LookupTables& tables = LookupTables::shared();
    const float* hz = tables.noteFrequencyTable();
    EXPECT_EQ(tables.noteToHz(69.0 / 128.0), 440.0f);
    EXPECT_EQ(tables.noteToHz((1000.0 + 0.999) / 65536.0), hz[1000]) << "truncates to the entry below";
    EXPECT_EQ(tables.noteToHz(std::nextafter(1.0, 0.0)), hz[65535]);
    EXPECT_EQ(tables.noteToHz(0.0), hz[0]);
    EXPECT_EQ(tables.noteToHz(-0.25), hz[0]) << "below 0 counts as 0";
    EXPECT_EQ(tables.noteToHz(std::numeric_limits<double>::quiet_NaN()), hz[0]);

    // From 1.0 up (note 128 and beyond) the frequency is computed, not read past the table.
    // Note 128, 59 semitones above A 440: 13289.7503 Hz, whose nearest float is 13289.75.
    EXPECT_EQ(tables.noteToHz(1.0), 13289.75f);
    EXPECT_NEAR(tables.noteToHz(1.0) / hz[65535], std::pow(2.0, 1.0 / (12.0 * kSteps)), 1e-6)
        << "continues the table's last step";
    EXPECT_NEAR(tables.noteToHz(1.0 + 12.0 / 128.0) / tables.noteToHz(1.0), 2.0, 1e-6);
}

TEST(ResonanceCompTable, FallsFromItsValueAtZeroToItsEnd)
{
    const LookupTables& tables = LookupTables::shared();
    const float* comp = tables.resonanceCompTable();
    EXPECT_EQ(comp[0], 1.0162f);
    const double last = 2047.0 / 2048.0;
    EXPECT_FLOAT_EQ(comp[2047], (2.4723 - 1.355 * last) * last * last - 1.8967 * last + 1.0162);
    EXPECT_NEAR(comp[2047], 0.237, 1e-3);
    for (int j = 1; j < LookupTables::kResonanceCompLength; ++j)
        ASSERT_LT(comp[j], comp[j - 1]) << j;

    EXPECT_EQ(tables.resonanceComp(0.0), comp[0]);
    EXPECT_EQ(tables.resonanceComp(0.5), comp[1024]);
    EXPECT_EQ(tables.resonanceComp(1.0), comp[2047]) << "the top of the range reads the last entry";
    EXPECT_EQ(tables.resonanceComp(3.0), comp[2047]);
    EXPECT_EQ(tables.resonanceComp(-1.0), comp[0]);
    EXPECT_EQ(tables.resonanceComp(std::numeric_limits<double>::quiet_NaN()), comp[0]);
}

TEST(LookupTables, SharedTablesAreBuiltOnceForAllThreads)
{
    const LookupTables* seen[2] = {};
    std::thread first([&] { seen[0] = &LookupTables::shared(); });
    std::thread second([&] { seen[1] = &LookupTables::shared(); });
    first.join();
    second.join();
    EXPECT_NE(seen[0], nullptr);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], &LookupTables::shared());
}

TEST(CriticalLoopGain, MatchesTheLadderLoopsWorkedFigures)
{
    // Figures from the Schur-Cohn test of the loop's characteristic polynomial
    // z (z + f)^4 + K p^2 (z + 1)^2 (p z + p2)^2, found by bisection on K.
    const LookupTables& tables = LookupTables::shared();
    struct Figure
    {
        float d;
        double ladder, bandPass;
    };
    for (const Figure& figure : {Figure{0.1f, 2.91209, 5.54152}, Figure{0.3f, 1.85613, 3.55471},
                                 Figure{0.5f, 1.38408, 2.43616}, Figure{0.7f, 1.14632, 1.48447}})
    {
        // The entry at or above d is read, so the answer lies just below the figure.
        EXPECT_LE(tables.criticalLoopGain(false, figure.d), figure.ladder + 1e-4) << figure.d;
        EXPECT_GT(tables.criticalLoopGain(false, figure.d), figure.ladder * 0.995) << figure.d;
        EXPECT_LE(tables.criticalLoopGain(true, figure.d), figure.bandPass + 1e-4) << figure.d;
        EXPECT_GT(tables.criticalLoopGain(true, figure.d), figure.bandPass * 0.99) << figure.d;
    }
    // Low cutoffs approach the analogue ladder's gain of 4 (the first entry above 0 is read).
    EXPECT_NEAR(tables.criticalLoopGain(false, 1.0e-4f), 4.0, 0.03);
    EXPECT_LT(tables.criticalLoopGain(false, 1.0e-4f), 4.0);
    // Outside the table's range the answer is its edge, never a read beyond it.
    EXPECT_EQ(tables.criticalLoopGain(false, 5.0f), tables.criticalLoopGain(false, 0.8f));
    EXPECT_EQ(tables.criticalLoopGain(true, std::numeric_limits<float>::quiet_NaN()),
              tables.criticalLoopGain(true, 0.0f));
    for (int i = 1; i < 100; ++i)
        EXPECT_LE(tables.criticalLoopGain(false, 0.008f * i), tables.criticalLoopGain(false, 0.008f * (i - 1)))
            << "the gain falls as the cutoff rises";
}
