// The figures of the motion: frequencies, masses, periodicity rounding, the
// start offset and the clock.
#include "core_test.h"

#include <math.h>

#include "scene/dynamics.h"

static const double kPi = 3.14159274;

// The item tree of the built-in mobile, without its shapes.
static std::string BuiltinItems(const char* periodicity) {
    return std::string("perspective: 45,3,90 lookat=22 timef=1 background=0.1,0.1,0.2 "
                       "perimeter=52 thread=0.08,0.2,0.2,0.3 periodicity=") +
           periodicity +
           "\n"
           "branch 1: desc=1 mass=2 radius=120 above=5 string=0.02 left=-8.1,-2.3,2 "
           "right=6.8,-0.5,3\n"
           "branch 2: desc=2 mass=0.4 radius=5 above=4 string=0.1 left=-6.6,0,4 "
           "right=3.9,-1.5,5\n"
           "branch 3: desc=3 mass=0.2 radius=4 above=11 string=0.1 left=-2.5,-0.4,6 "
           "right=4,-0.4,7\n"
           "branch 4: desc=4 mass=0.2 radius=4 above=3 string=0.1 left=-6,-1.3,8 "
           "right=1.3,-0.8,9\n"
           "branch 5: desc=5 mass=0.2 radius=4 above=5.5 string=0.12 left=-2.9,-0.3,10 "
           "right=3.3,-0.3,11\n"
           "end 8: desc=6 mass=0.5 radius=2 above=8 string=0.03\n"
           "end 9: desc=7 mass=0.41 radius=2 above=7.2 string=0.1\n"
           "end 10: desc=7 mass=0.3 radius=8 above=4 string=0.05\n"
           "end 11: desc=7 mass=0.3 radius=6 above=4 string=0.06\n"
           "end 6: desc=7 mass=0.3 radius=2 above=5.5 string=0.1\n"
           "end 7: desc=8 mass=0.48 radius=2 above=6.5 string=0.1\n";
}

TEST_F(CoreTest, BuiltinTreeFrequenciesAndMasses) {
    Parse(BuiltinItems("0"));
    EXPECT_EQ(Texts(), Lines{});
    EXPECT_NEAR(Item(1).totalmass, 5.29, 1e-5);
    // omega = 1 / sqrt(28996.9)
    EXPECT_NEAR(Item(1).omega, 0.0058725, 1e-7);
    EXPECT_NEAR(1 / (Item(1).omega * Item(1).omega), 28996.9, 0.5);
    EXPECT_EQ(Item(8).omega, 0.70710677f);
    EXPECT_NEAR(kPi * Item(1).totalmass / Item(1).string, 831, 0.1);
    // At the start item 1 stands 1.9 half-periods (1016.43 s) into its swing.
    EXPECT_NEAR(kPi / Item(1).omega * 1.9, 1016.43, 0.01);
    EXPECT_NEAR(Item(1).angle, sin(kPi * 1.9) * 831, 0.5);
    EXPECT_EQ(mobile.reachable.count, 11u);
}

TEST_F(CoreTest, PeriodicityRoundsEveryFrequencyToWholeSwings) {
    Parse(BuiltinItems("300"));
    EXPECT_EQ(Texts(), Lines{});
    // Item 1 rounds to no swing at all, which becomes one.
    EXPECT_EQ(Item(1).omega, (float)(kPi / 300 * 1 * 2));
    EXPECT_NEAR(Item(1).omega, 0.0209440, 1e-7);
    EXPECT_EQ(Item(8).omega, (float)(kPi / 300 * 34 * 2));
    EXPECT_NEAR(Item(8).omega, 0.71209437, 1e-7);
    // Start offset exactly 285 s: item 1 is at phase 285 * 2 pi / 300.
    EXPECT_NEAR(Item(1).angle, sin(285.0 * Item(1).omega) * kPi * 5.29 / 0.02, 1e-2);
}

TEST_F(CoreTest, SingleItemFiguresAndStartOffset) {
    Parse("perspective: 45,3,90 lookat=0 timef=1 background=0,0,0 perimeter=30 "
          "thread=0.1,1,1,1 periodicity=0\n"
          "end 1: desc=0 mass=2 radius=1 above=5 string=1\n",
          5000);
    EXPECT_EQ(Texts(), Lines{});
    EXPECT_EQ(Item(1).omega, 0.70710677f);
    EXPECT_FLOAT_EQ(Item(1).totalmass, 2);
    EXPECT_NEAR(Item(1).angle, -1.9416, 1e-4);
    // Later angles follow sin((elapsed + 8.4415 s) * omega) * 2 pi.
    for (uint32_t ms : {250u, 444u, 1000u, 61000u}) {
        SetTestClock(5000 + ms);
        UpdateAngles(mobile);
        EXPECT_NEAR(Item(1).angle, sin((ms * 0.001 + 8.4415) * 0.70710677) * 2 * kPi, 2e-3) << ms;
    }
}

TEST_F(CoreTest, TimeScaleStretchesTheElapsedTimeOnly) {
    std::string items = "end 1: desc=0 mass=2 radius=1 above=5 string=1\n";
    Parse("perspective: 45,3,90 lookat=0 timef=2 background=0,0,0 perimeter=30 "
          "thread=0.1,1,1,1 periodicity=0\n" +
              items,
          100);
    float first = Item(1).angle;
    SetTestClock(1100);
    UpdateAngles(mobile);
    EXPECT_NEAR(first, -1.9416, 1e-4);
    EXPECT_NEAR(Item(1).angle, sin((2.0 + 8.4415) * 0.70710677) * 2 * kPi, 2e-3);
}

TEST_F(CoreTest, MassZeroItemSwingsAtOneAndStandsStill) {
    Parse(kUnrounded +
          std::string("branch 1: desc=0 mass=1 radius=1 above=1 string=1 left=2,0,2 right=-2,0,3\n"
                      "end 2: desc=0 mass=0 radius=5 above=1 string=0.5\n"
                      "end 3: desc=0 mass=4 radius=0 above=1 string=0.5\n"));
    EXPECT_FLOAT_EQ(Item(2).omega, 1);
    EXPECT_FLOAT_EQ(Item(3).omega, 1);
    EXPECT_FLOAT_EQ(Item(1).totalmass, 5);
    for (uint32_t now : {2000u, 7777u}) {
        SetTestClock(now);
        UpdateAngles(mobile);
        EXPECT_EQ(Item(2).angle, 0);
    }
}

// Only a child's x offset and total mass enter its branch's inertia.
TEST_F(CoreTest, BranchFrequencyDependsOnChildMassAndArmOnly) {
    auto omegaOf = [this](const char* left, const char* child) {
        Parse(kUnrounded + std::string("branch 1: desc=0 mass=1 radius=1 above=1 string=1 left=") +
              left + " right=-1,-2,3\n" + child +
              "end 3: desc=0 mass=1 radius=1 above=1 string=1\n");
        return std::vector<float>{Item(1).omega, Item(1).totalmass};
    };
    const char* child = "end 2: desc=0 mass=2 radius=1 above=1 string=1\n";
    std::vector<float> base = omegaOf("3,-1,2", child);
    // I = 3*3*2 + 1 + 1*1*1
    EXPECT_EQ(base[0], (float)(1 / sqrt(20.0)));
    EXPECT_EQ(omegaOf("3,-9,2", child), base);
    EXPECT_EQ(omegaOf("-3,-1,2", child), base);
    EXPECT_EQ(omegaOf("3,-1,2", "end 2: desc=0 mass=2 radius=9 above=7 string=3\n"), base);
    std::vector<float> heavier =
        omegaOf("3,-1,2", "end 2: desc=0 mass=3 radius=1 above=1 string=1\n");
    EXPECT_NE(heavier[0], base[0]);
    EXPECT_FLOAT_EQ(heavier[1], base[1] + 1);
}

TEST_F(CoreTest, ClockStartsAtTheParseAndSurvivesAWrap) {
    std::string text = "end 1: desc=0 mass=2 radius=1 above=5 string=1\n";
    Parse(text, 1000);
    ASSERT_EQ(mobile.starttick, 1000u);
    SetTestClock(1512);
    UpdateAngles(mobile);
    float expected = Item(1).angle;
    EXPECT_NE(expected, -1.9416f);

    Parse(text, 0xFFFFFF00u);
    SetTestClock(0x100);
    UpdateAngles(mobile);
    EXPECT_EQ(Item(1).angle, expected);
    // Twice in the same millisecond: the same pose.
    UpdateAngles(mobile);
    EXPECT_EQ(Item(1).angle, expected);
}
