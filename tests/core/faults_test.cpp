// Descriptions that break the model's rules: bad references, cycles, shared
// items, huge numbers, deep chains, huge lines. Nothing may be read outside a
// table, nothing may run without end, and nothing may take memory out of
// proportion to the text.
#include "core_test.h"

#include <math.h>

#include <algorithm>

#include "scene/dynamics.h"

static std::string Branch(int n, int left, int right, float mass = 1) {
    char line[200];
    snprintf(line, sizeof line,
             "branch %d: desc=0 mass=%g radius=1 above=1 string=1 left=-2,-1,%d right=2,-1,%d\n", n,
             mass, left, right);
    return line;
}

static std::vector<int32_t> Reachable(const Mobile& mobile) {
    std::vector<int32_t> items(mobile.reachable.data,
                               mobile.reachable.data + mobile.reachable.count);
    std::sort(items.begin(), items.end());
    return items;
}

TEST_F(CoreTest, BadChildReferencesAreNotFollowed) {
    Parse(Branch(1, -5, 2) + Branch(2, 3, 1000) + Branch(3, 7, 7) + EndLine(4) +
          "branch 7: desc=0 mass=1 radius=1\n");
    EXPECT_EQ(Texts(), Lines{"Invalid branch"});
    ASSERT_EQ(mobile.items.count, 8u);
    // 7 is defined (by a short line) and hangs nothing; 4 hangs from nobody.
    EXPECT_EQ(Reachable(mobile), (std::vector<int32_t>{1, 2, 3, 7}));
    EXPECT_FLOAT_EQ(Item(3).totalmass, 1 + 1 + 1);
    EXPECT_FLOAT_EQ(Item(1).totalmass, 1 + 1 + 3);
    // Undefined gap 5: a reference to it counts as no child.
    Parse(kUnrounded + Branch(1, 5, 2) + EndLine(2, 2) + EndLine(6));
    EXPECT_EQ(Reachable(mobile), (std::vector<int32_t>{1, 2}));
    EXPECT_FLOAT_EQ(Item(1).totalmass, 3);
    EXPECT_FLOAT_EQ(Item(1).omega, (float)(1 / sqrt(1 + 4 * 2.0)));
}

TEST_F(CoreTest, CyclesEndAndEveryItemIsPreparedOnce) {
    // 2 hangs 1 (its ancestor) and itself; 1 hangs itself on the right.
    Parse(Branch(1, 2, 1) + Branch(2, 1, 2));
    EXPECT_EQ(Texts(), Lines{});
    EXPECT_EQ(Reachable(mobile), (std::vector<int32_t>{1, 2}));
    EXPECT_FLOAT_EQ(Item(2).totalmass, 1);
    EXPECT_FLOAT_EQ(Item(1).totalmass, 2);
    SetTestClock(123456);
    UpdateAngles(mobile);
    EXPECT_TRUE(std::isfinite(Item(1).angle) && std::isfinite(Item(2).angle));
}

TEST_F(CoreTest, SharedItemsCountInEveryPlaceTheyHang) {
    Parse(Branch(1, 2, 3) + Branch(2, 3, 3) + EndLine(3, 2));
    EXPECT_EQ(Reachable(mobile), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_FLOAT_EQ(Item(2).totalmass, 5);
    EXPECT_FLOAT_EQ(Item(1).totalmass, 8);

    // Sharing at every level: 2^64 paths, but each item is prepared once.
    std::string text;
    for (int n = 1; n <= 64; n++)
        text += Branch(n, n + 1, n + 1);
    text += EndLine(65);
    Parse(text);
    EXPECT_EQ(mobile.reachable.count, 65u);
    EXPECT_FLOAT_EQ(Item(1).totalmass, (float)(ldexp(1.0, 65) - 1));
}

TEST_F(CoreTest, NumbersBeyondTheBoundLeaveTheTablesAlone) {
    Parse(EndLine(1) +
          "branch 2000000000: desc=1 mass=1 radius=1 above=1 string=1 left=1,1,1 right=1,1,1\n"
          "end 200000: desc=1 mass=1 radius=1 above=1 string=1\n"
          "end -1: desc=1 mass=1 radius=1 above=1 string=1\n"
          "desc 2000000000\nsglEnd\n"
          "desc -3: offset=1,2,3 scale=1\nsglEnd\n"
          "desc 2\nsglEnd\ndesc 200000\nsglEnd\n");
    EXPECT_EQ(Texts(), (Lines{"Invalid branch", "Invalid end", "Invalid end", "invalid desc prefix",
                              "found an orphan sgl command", "invalid desc prefix",
                              "found an orphan sgl command", "invalid desc prefix",
                              "found an orphan sgl command"}));
    EXPECT_EQ(mobile.items.count, 2u);
    EXPECT_EQ(mobile.shapes.count, 3u);
    EXPECT_EQ(mobile.shapes[2].count, 1u);

    // A number too long for 32 bits wraps or saturates, each C runtime its
    // own way: in any of a line's integers, it is beyond the bound.
    Parse("end 99999999999999999999999: desc=1 mass=1 radius=1 above=1 string=1\n");
    EXPECT_EQ(Texts(), (Lines{"Invalid end", "item1 undefined"}));
    EXPECT_EQ(mobile.items.count, 0u);
    const char* tail = " mass=1 radius=1 above=1 string=1";
    Parse(EndLine(1, 7) + "desc 1\nsglEnd\n" +                                 // what must stay
          "end 4294967297: desc=0" + tail + "\n" +                             // wraps to 1
          "end -4294967295: desc=0" + tail + "\n" +                            // wraps to 1
          "branch 0x100000001: desc=0" + tail + " left=1,1,2 right=1,1,2\n" +  // hex
          "end 2: desc=4294967297" + tail + "\n" +                             // names desc 1
          "branch 3: desc=0" + tail + " left=1,1,2 right=1,1,040000000001\n" + // octal
          "desc 4294967297\nsglEnd\n" +                                        // opens none
          "end 4: desc=-2147483648" + tail + "\n" +                            // still fits
          "end 5: desc=2147483648" + tail + "\n");                             // no more
    EXPECT_EQ(Texts(), (Lines{"Invalid end", "Invalid end", "Invalid branch", "Invalid end",
                              "Invalid branch", "invalid desc prefix",
                              "found an orphan sgl command", "Invalid end"}));
    EXPECT_EQ(mobile.items.count, 5u);
    EXPECT_FLOAT_EQ(Item(1).mass, 7);
    EXPECT_FALSE(Item(2).defined || Item(3).defined);
    EXPECT_EQ(Item(4).desc, INT32_MIN);
    EXPECT_EQ(mobile.shapes.count, 2u);
    EXPECT_EQ(mobile.shapes[1].count, 1u);

    // The bound itself is a number like any other.
    Parse(EndLine(1) + EndLine(kMaxMobileNumber) + "desc 199999\nsglEnd\n");
    EXPECT_EQ(Texts(), Lines{});
    EXPECT_EQ(mobile.items.count, 200000u);
    EXPECT_EQ(mobile.shapes.count, 200000u);
}

TEST_F(CoreTest, MissingItemOneStartsTheClockButMovesNothing) {
    Parse(Branch(2, 3, 3) + EndLine(3));
    EXPECT_EQ(Texts(), Lines{"item1 undefined"});
    EXPECT_EQ(mobile.reachable.count, 0u);
    EXPECT_EQ(mobile.starttick, 1000u);
    SetTestClock(5000);
    UpdateAngles(mobile);
    EXPECT_EQ(Item(2).angle, 0);
    EXPECT_EQ(Item(2).omega, 0);
    // A defined item 0 is no item 1.
    Parse(EndLine(0));
    EXPECT_EQ(Texts(), Lines{"item1 undefined"});
}

// 100,000 levels: no recursion may follow it, or the 1 MB stack of the
// Windows program would overflow.
TEST_F(CoreTest, HundredThousandLevelsDeep) {
    const int depth = 100000;
    std::string text;
    text.reserve(depth * 90);
    for (int n = 1; n < depth; n++)
        text += Branch(n, n + 1, -1);
    text += EndLine(depth);
    Parse(text);
    EXPECT_EQ(Texts(), Lines{});
    EXPECT_EQ(mobile.reachable.count, (uint32_t)depth);
    EXPECT_FLOAT_EQ(Item(1).totalmass, depth);
    EXPECT_FLOAT_EQ(Item(depth - 1).totalmass, 2);
    SetTestClock(99999);
    UpdateAngles(mobile);
    EXPECT_TRUE(std::isfinite(Item(depth).angle));
}

TEST_F(CoreTest, TenMegabyteLines) {
    const size_t size = 10 << 20;
    std::string text = EndLine(1) + "// " + std::string(size, 'x') + "\n";
    text += "desc 1\nsglVertex3(1,2," + std::string(size, ' ') + "3)\n";
    text += "end 2: desc=1 mass=1 radius=1 above=1 string=1 " + std::string(size, '7') + "\n";
    Parse(text);
    EXPECT_EQ(Texts(), Lines{});
    ASSERT_EQ(mobile.shapes.count, 2u);
    ASSERT_EQ(mobile.shapes[1].count, 1u);
    EXPECT_FLOAT_EQ(mobile.shapes[1][0].values[2], 3);
    EXPECT_TRUE(Item(2).defined);
}
