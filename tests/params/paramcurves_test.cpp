#include "source/params/paramcurves.h"

#include <gtest/gtest.h>

using namespace talvane;

namespace {

TEST(ParamCurves, TheGlideTimeIsTwoSecondsAtTheTopOfTheKnob)
{
    EXPECT_EQ(glideSeconds(0.0f), 0.0f);
    EXPECT_EQ(glideSeconds(0.25f), 0.5f);
    EXPECT_EQ(glideSeconds(0.05f), 0.1f);
    EXPECT_EQ(glideSeconds(1.0f), 2.0f);
}

TEST(ParamCurves, TheCutoffSpansTenOctavesFromTwentyHertz)
{
    EXPECT_EQ(cutoffHz(0.0f), 20.0f);
    EXPECT_EQ(cutoffHz(0.5f), 640.0f);
    EXPECT_EQ(cutoffHz(1.0f), 20480.0f);
    EXPECT_EQ(kHighestCutoffHz, 20480.0f);
}

} // namespace
