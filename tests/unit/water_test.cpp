// The water surface: start-up layout, the generator, the rain and the ripple
// step, checked against the figures a fresh run of the renderer produces.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "renderer/water.h"
#include "tests/unit/water_reference.h"

namespace {

// A fresh renderer start: settings, flat grid, generator at its first number.
void FreshRun()
{
    InitRippleSettings();
    ResetWaterRandomForTesting();
    std::memset(&waterGrid, 0, sizeof waterGrid);
    InitWaterGrid();
}

void Frames(int n)
{
    for (int k = 0; k < n; ++k)
        AdvanceWater();
}

float H(int i, int j)
{
    return waterGrid.surface[i][j].y;
}
float V(int i, int j)
{
    return waterGrid.velocity[i][j].y;
}

// Equal when both round to the same six significant digits (half a unit in
// the sixth digit either way).
::testing::AssertionResult SixDigits(double expected, double actual)
{
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - 5);
    if (std::fabs(actual - expected) <= 0.5 * unit)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected << " to six significant digits";
}

// Interior points whose velocity shows a drop made in the frame just run.
std::vector<std::pair<int, int>> FreshDrops()
{
    std::vector<std::pair<int, int>> drops;
    for (int i = 1; i < 150; ++i)
        for (int j = 1; j < 150; ++j)
            if (V(i, j) < -1.0f)
                drops.emplace_back(i, j);
    return drops;
}

using Points = std::vector<std::pair<int, int>>;

// The runtime's own first twenty numbers after seeding with 1: the state
// wraps modulo 2^32 from the second number on.
TEST(WaterRandom, MatchesTheRuntimeSequenceFromSeedOne)
{
    ResetWaterRandomForTesting();
    const int32_t expected[] = {41,   18467, 6334,  26500, 19169, 15724, 11478, 29358, 26962, 24464,
                                5705, 28145, 23281, 16827, 9961,  491,   2995,  11942, 4827,  5436};
    for (int32_t e : expected)
        EXPECT_EQ(WaterRandom(), e);
}

TEST(WaterGridInit, LaysOutTheFloorPlaneFlat)
{
    FreshRun();
    EXPECT_EQ(waterGrid.surface[0][0].x, -30.0f);
    EXPECT_EQ(waterGrid.surface[0][0].y, 0.0f);
    EXPECT_EQ(waterGrid.surface[0][0].z, -35.0f);
    // The divisor is 151 points, so the far edge falls short of 30 and 15.
    EXPECT_TRUE(SixDigits(29.602650, waterGrid.surface[150][150].x));
    EXPECT_TRUE(SixDigits(14.668874, waterGrid.surface[150][150].z));
    EXPECT_TRUE(SixDigits(0.397351 - 30, waterGrid.surface[1][1].x));
    EXPECT_TRUE(SixDigits(0.331126 - 35, waterGrid.surface[1][1].z));
    for (int i = 0; i < 151; ++i) {
        for (int j = 0; j < 151; ++j) {
            const GridPoint& s = waterGrid.surface[i][j];
            const GridPoint& v = waterGrid.velocity[i][j];
            ASSERT_EQ(s.y, 0.0f);
            ASSERT_EQ(s.x, waterGrid.surface[i][0].x) << "x varies along i only";
            ASSERT_EQ(s.z, waterGrid.surface[0][j].z) << "z varies along j only";
            ASSERT_TRUE(s.x == v.x && s.y == v.y && s.z == v.z) << i << "," << j;
        }
    }
    // Outside the used region the layers stay zero.
    EXPECT_EQ(waterGrid.surface[151][0].x, 0.0f);
    EXPECT_EQ(waterGrid.surface[0][151].z, 0.0f);
}

TEST(StepRipples, PullsTheUntouchedSurfaceBelowZero)
{
    FreshRun();
    StepRipples();
    for (int i = 0; i < 151; ++i) {
        for (int j = 0; j < 151; ++j) {
            const bool border = i == 0 || j == 0 || i == 150 || j == 150;
            if (border) {
                ASSERT_EQ(H(i, j), 0.0f);
            } else {
                ASSERT_TRUE(SixDigits(-0.00099, H(i, j))) << i << "," << j;
                ASSERT_EQ(V(i, j), H(i, j)) << i << "," << j;
            }
        }
    }
}

TEST(StepRipples, NegativeZeroHeightIsPulledUp)
{
    FreshRun();
    waterGrid.surface[50][50].y = -0.0f;
    StepRipples();
    EXPECT_TRUE(SixDigits(0.00099, V(50, 50)));
    EXPECT_TRUE(SixDigits(-0.00099, V(60, 60)));
}

TEST(StepRipples, UsesTheHexagonalNeighbourhood)
{
    FreshRun();
    waterGrid.surface[50][50].y = 6.0f;  // neighbours' average rises by exactly 1
    StepRipples();
    const float flat = V(70, 70);
    const Points hexagon = {{50, 49}, {50, 51}, {49, 49}, {49, 50}, {51, 50}, {51, 51}};
    for (auto [i, j] : hexagon)
        EXPECT_TRUE(SixDigits(0.999 * 0.99, V(i, j))) << i << "," << j;
    // The other two diagonals are not neighbours.
    EXPECT_EQ(V(49, 51), flat);
    EXPECT_EQ(V(51, 49), flat);
}

TEST(Disturb, ReplacesTheVelocityAndMovesTheSurfaceInTheSameStep)
{
    FreshRun();
    waterGrid.velocity[75][75].y = 5.0f;
    Disturb(75, 75);
    EXPECT_EQ(V(75, 75), -2.0f);
    StepRipples();
    EXPECT_TRUE(SixDigits(-1.98099, V(75, 75)));
    EXPECT_EQ(H(75, 75), V(75, 75));  // 0 + v
    // Points outside the grid are ignored rather than written. One past each
    // side: a write there would still land inside the layers and show.
    const auto before = std::make_unique<WaterGrid>(waterGrid);
    Disturb(-1, 10);  // would be surface[255][10]
    Disturb(151, 10);
    Disturb(10, -1);  // would be velocity[9][255]
    Disturb(10, 151);
    EXPECT_EQ(std::memcmp(before.get(), &waterGrid, sizeof waterGrid), 0);
}

TEST(AdvanceWater, FirstFramesOfAFreshRun)
{
    FreshRun();
    Frames(2);  // 41 and 18467 are odd: no drop yet
    EXPECT_TRUE(FreshDrops().empty());
    EXPECT_TRUE(SixDigits(-0.0009801, H(75, 75)));
    EXPECT_TRUE(SixDigits(-0.0009801, H(2, 2)));

    Frames(1);
    EXPECT_EQ(FreshDrops(), (Points{{101, 120}}));
    EXPECT_TRUE(SixDigits(-1.97999, H(101, 120)));
    for (auto [i, j] : Points{{101, 119}, {101, 121}, {100, 119}, {100, 120}, {102, 120}, {102, 121}, {75, 75}})
        EXPECT_TRUE(SixDigits(0.0000197007, H(i, j))) << i << "," << j;

    Frames(1);
    EXPECT_EQ(FreshDrops(), (Points{{79, 109}}));
    EXPECT_TRUE(SixDigits(-1.97801, H(101, 120)));
    EXPECT_TRUE(SixDigits(-0.326682, H(102, 120)));
    EXPECT_TRUE(SixDigits(-0.326682, H(100, 119)));

    Frames(1);
    EXPECT_EQ(FreshDrops(), (Points{{15, 6}}));
    EXPECT_TRUE(SixDigits(-0.340245, H(101, 120)));
}

TEST(AdvanceWater, DrawsOneNumberWithoutADropAndThreeWithOne)
{
    ResetWaterRandomForTesting();
    std::vector<int32_t> sequence(20);
    for (int32_t& n : sequence)
        n = WaterRandom();
    ASSERT_EQ(sequence[11], 28145);  // frame 6's one odd number

    // Numbers drawn after frames 1..6: 1, 1, 3, 3, 3, 1.
    const int drawnAfter[] = {0, 1, 2, 5, 8, 11, 12};
    for (int frames = 1; frames <= 6; ++frames) {
        FreshRun();
        Frames(frames);
        EXPECT_EQ(WaterRandom(), sequence[drawnAfter[frames]]) << "after frame " << frames;
    }
}

TEST(AdvanceWater, BorderHeightsStayExactlyZero)
{
    FreshRun();
    Frames(1500);
    // Drops on index 150 leave their velocity on the border, never stepped.
    bool dropOnBorder = false;
    for (int k = 0; k < 151; ++k)
        dropOnBorder |= V(150, k) == -2.0f || V(k, 150) == -2.0f;
    EXPECT_TRUE(dropOnBorder) << "the run should have dropped on index 150";
    for (int k = 0; k < 151; ++k) {
        for (float h : {H(0, k), H(150, k), H(k, 0), H(k, 150)}) {
            ASSERT_EQ(h, 0.0f) << k;
            ASSERT_FALSE(std::signbit(h)) << k;
        }
    }
}

// The optimised step must give the plain two-pass rules' floats bit for bit.
TEST(StepRipples, BitIdenticalToThePlainRulesOverALongRun)
{
    static WaterGrid plain;
    FreshRun();
    std::memcpy(&plain, &waterGrid, sizeof plain);
    uint32_t plainRandom = 1;
    int drops = 0;
    for (int frame = 1; frame <= 2000; ++frame) {
        AdvanceWater();
        reference::AdvanceWater(plain, rippleSettings, plainRandom);
        drops += !FreshDrops().empty();
        for (int i = 0; i < 151; ++i) {
            ASSERT_EQ(std::memcmp(waterGrid.surface[i], plain.surface[i], 151 * sizeof(GridPoint)), 0)
                << "heights differ in row " << i << " at frame " << frame;
            ASSERT_EQ(std::memcmp(waterGrid.velocity[i], plain.velocity[i], 151 * sizeof(GridPoint)), 0)
                << "velocities differ in row " << i << " at frame " << frame;
        }
    }
    EXPECT_GT(drops, 800);  // about one every second frame
}

// Sums of heights within a few binary orders of each other are exact in
// double whatever their order; heights of every magnitude and sign (and -0),
// and exactly cancelling ones, make a changed summation order or a missed
// rounding show.
TEST(StepRipples, BitIdenticalToThePlainRulesOnHeightsOfEveryMagnitude)
{
    static WaterGrid plain;
    FreshRun();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> exponent(-70, 8);
    auto anyFloat = [&] {
        const int e = exponent(random);
        if (e == -70)
            return random() % 2 ? 0.0f : -0.0f;
        const float m = std::ldexp(static_cast<float>(random() % (1u << 24)), -24);
        return (random() % 2 ? 1.0f : -1.0f) * std::ldexp(m, e);
    };
    const float cancelling[] = {0x1p60f, -0x1p60f, 1.0f, -1.0f, 0.0f, -0.0f, 3.0f, 0.5f};
    for (int i = 1; i < 150; ++i) {
        for (int j = 1; j < 150; ++j) {
            waterGrid.surface[i][j].y = i < 75 ? anyFloat() : cancelling[random() % 8];
            waterGrid.velocity[i][j].y = i < 75 ? anyFloat() : 0.0f;
        }
    }
    std::memcpy(&plain, &waterGrid, sizeof plain);
    StepRipples();
    reference::StepRipples(plain, rippleSettings);
    for (int i = 0; i < 151; ++i) {
        ASSERT_EQ(std::memcmp(waterGrid.surface[i], plain.surface[i], 151 * sizeof(GridPoint)), 0)
            << "heights differ in row " << i;
        ASSERT_EQ(std::memcmp(waterGrid.velocity[i], plain.velocity[i], 151 * sizeof(GridPoint)), 0)
            << "velocities differ in row " << i;
    }
}

// The show on two monitors steps two surfaces in turn: each evolves as if
// stepped alone, and the second seed rains elsewhere.
TEST(SwapWater, SurfacesSteppedInTurnEvolveAsIfAlone)
{
    auto stepOther = [](WaterState& other, int frames) {
        SwapWater(other);
        Frames(frames);
        SwapWater(other);
    };
    auto fresh = [&](uint32_t seed) {
        auto state = std::make_unique<WaterState>();
        state->randomState = seed;
        SwapWater(*state);
        InitWaterGrid();
        SwapWater(*state);
        return state;
    };
    FreshRun();
    auto other = fresh(2);
    for (int k = 0; k < 100; ++k) {
        Frames(1);
        stepOther(*other, 1);
    }
    auto inTurn = std::make_unique<WaterGrid>(waterGrid);
    FreshRun();
    Frames(100);
    EXPECT_EQ(std::memcmp(inTurn.get(), &waterGrid, sizeof waterGrid), 0) << "the first surface changed";
    auto alone = fresh(2);
    stepOther(*alone, 100);
    EXPECT_EQ(std::memcmp(&alone->grid, &other->grid, sizeof(WaterGrid)), 0) << "the second surface changed";
    EXPECT_NE(std::memcmp(&other->grid, &waterGrid, sizeof waterGrid), 0) << "the same rain on both";
}

}  // namespace
