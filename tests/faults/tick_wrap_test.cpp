// The tick counter wraps every 2^32 ms (49.7 days). The motion must not care
// when the machine was started: the same description shows the same poses
// at the same elapsed times whether its clock started just after boot, just
// before the counter wraps, or at the counter's zero; and after 2^32 ms
// since its start the elapsed time begins again from the start pose.
#include <math.h>

#include <string>
#include <vector>

#include "core_test.h"
#include "mobile/builtin.h"
#include "scene/dynamics.h"

namespace {

const uint32_t kFortyNineDays = 0xFFFFFFFFu - 20; // 20 ms before the wrap

struct TickWrap : CoreTest {
    void ParseBuiltin(uint32_t now) {
        Parse(std::string(builtinMobileText, builtinMobileSize), now);
        ASSERT_GT(mobile.reachable.count, 5u);
    }

    // Every reachable item's angle at the given tick.
    std::vector<float> PoseAt(uint32_t tick) {
        SetTestClock(tick);
        UpdateAngles(mobile);
        std::vector<float> pose;
        for (uint32_t i = 0; i < mobile.reachable.count; i++)
            pose.push_back(Item(mobile.reachable[i]).angle);
        return pose;
    }

    // Poses at these elapsed times after a clock start at `start`.
    std::vector<std::vector<float>> Run(uint32_t start) {
        ParseBuiltin(start);
        std::vector<std::vector<float>> poses;
        for (uint32_t elapsed : {0u, 20u, 21u, 50u, 1000u, 65537u, 3600000u})
            poses.push_back(PoseAt(start + elapsed));
        return poses;
    }
};

TEST_F(TickWrap, PosesDependOnElapsedTimeOnlyWhateverTheUptime) {
    std::vector<std::vector<float>> afterBoot = Run(1000);
    // The motion really moves over these times, so equal runs mean something.
    EXPECT_NE(afterBoot[0], afterBoot[2]);
    EXPECT_NE(afterBoot[4], afterBoot[6]);
    // Started 20 ms before the wrap: every frame after the first crosses it.
    EXPECT_EQ(afterBoot, Run(kFortyNineDays));
    EXPECT_EQ(afterBoot, Run(0x80000000u));
}

TEST_F(TickWrap, ACounterAtZeroStartsTheClockAtTheFirstFrame) {
    ParseBuiltin(0); // the parse saw the counter at exactly zero
    std::vector<float> start = PoseAt(5000);
    EXPECT_EQ(5000u, mobile.starttick);
    ParseBuiltin(1000);
    EXPECT_EQ(start, PoseAt(1000)) << "the first frame shows the start pose";
}

TEST_F(TickWrap, AfterTwoToThe32MillisecondsThePoseStartsAgain) {
    ParseBuiltin(kFortyNineDays);
    std::vector<float> start = PoseAt(kFortyNineDays);
    // 2^32 - 1 ms after the start: the latest pose the counter can express,
    // still a finite swing within each item's amplitude.
    std::vector<float> last = PoseAt(kFortyNineDays - 1);
    for (uint32_t i = 0; i < mobile.reachable.count; i++) {
        const MobileItem& item = Item(mobile.reachable[i]);
        ASSERT_TRUE(std::isfinite(last[i]));
        EXPECT_LE(fabs(last[i]), item.totalmass * 3.1416f / item.string + 1e-5f);
    }
    // One more millisecond: a whole 2^32 since the start, read as 0.
    EXPECT_EQ(start, PoseAt(kFortyNineDays));
    ClearTestClock();
}

} // namespace
