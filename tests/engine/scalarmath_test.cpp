#include "source/engine/scalarmath.h"
#include "source/params/paramcurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace talvane;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// The engine's clamp passes NaN and -0 on, as its vector kernels do; the clamp for host values
// turns both into 0. The two differ on purpose, and these cases tell them apart.
TEST(ScalarClamps, EngineClampHoldsTheRangeAndPassesNaNThrough)
{
    EXPECT_EQ(clamp01(0.25f), 0.25f);
    EXPECT_EQ(clamp01(-3.0f), 0.0f);
    EXPECT_EQ(clamp01(7.5f), 1.0f);
    EXPECT_TRUE(std::isnan(clamp01(kNaN)));
    EXPECT_TRUE(std::signbit(clamp01(-0.0f)));

    EXPECT_EQ(clampBipolar(-0.5f), -0.5f);
    EXPECT_EQ(clampBipolar(-1.5f), -1.0f);
    EXPECT_EQ(clampBipolar(2.0f), 1.0f);
    EXPECT_TRUE(std::isnan(clampBipolar(kNaN)));
}

TEST(ScalarClamps, HostValueClampMakesNaNAndMinusZeroZero)
{
    EXPECT_EQ(clampNormalized(0.25), 0.25);
    EXPECT_EQ(clampNormalized(-3.0), 0.0);
    EXPECT_EQ(clampNormalized(7.5), 1.0);
    EXPECT_EQ(clampNormalized(static_cast<double>(kNaN)), 0.0);
    EXPECT_FALSE(std::signbit(clampNormalized(-0.0)));
    EXPECT_EQ(clampNormalized(kNaN), 0.0f);
}

TEST(ScalarClamps, FracKeepsThePartBelowTheTruncatedWhole)
{
    EXPECT_EQ(frac(2.75f), 0.75f);
    EXPECT_EQ(frac(0.5f), 0.5f);
    EXPECT_EQ(frac(3.0f), 0.0f);
    EXPECT_EQ(frac(-1.25f), -0.25f) << "truncated toward zero, not floored";
}

} // namespace
