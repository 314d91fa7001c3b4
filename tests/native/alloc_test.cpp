// Memory of the core, counted by a replacement of the C allocator: a frame
// allocates nothing, a parse reuses its line buffer, and huge texts take
// memory in proportion to what they keep, not to their size. (Not built
// under the sanitizers, which replace the allocator themselves.)
#include <gtest/gtest.h>

#include <malloc.h>
#include <string.h>

#include <string>

#include "mobile/parser.h"
#include "mobile/platform.h"
#include "scene/dynamics.h"

// The C library's own allocator, under the one this test puts in its place.
// NOLINTBEGIN(bugprone-reserved-identifier): the C library's names
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);
// NOLINTEND(bugprone-reserved-identifier)

static bool counting = false;
static size_t calls = 0, live = 0, peak = 0;

static void Gained(void* p) {
    if (!counting || !p)
        return;
    calls++;
    live += malloc_usable_size(p);
    if (live > peak)
        peak = live;
}

static void Losing(void* p) {
    if (!counting || !p)
        return;
    size_t size = malloc_usable_size(p);
    live = live > size ? live - size : 0;
}

extern "C" void* malloc(size_t size) {
    void* p = __libc_malloc(size);
    Gained(p);
    return p;
}

extern "C" void* calloc(size_t count, size_t size) {
    void* p = __libc_calloc(count, size);
    Gained(p);
    return p;
}

extern "C" void* realloc(void* old, size_t size) {
    Losing(old);
    void* p = __libc_realloc(old, size);
    Gained(p);
    return p;
}

extern "C" void free(void* p) {
    Losing(p);
    __libc_free(p);
}

static void Quiet(const char*, uint32_t, void*) {}

struct Counted {
    Counted() {
        calls = live = peak = 0;
        counting = true;
    }
    ~Counted() { counting = false; }
};

static void Parse(Mobile& mobile, const std::string& text) {
    SetTestClock(1000);
    ParseMobileDescription(mobile, text.data(), (uint32_t)text.size(), Quiet);
}

static std::string Chain(int depth) {
    std::string text;
    char line[160];
    for (int n = 1; n < depth; n++) {
        snprintf(line, sizeof line,
                 "branch %d: desc=0 mass=1 radius=1 above=1 string=1 "
                 "left=1,-1,%d right=-1,-1,%d\n",
                 n, n + 1, n + 1);
        text += line;
    }
    snprintf(line, sizeof line, "end %d: desc=0 mass=1 radius=1 above=1 string=1\n", depth);
    return text + line;
}

TEST(Allocation, FramesAllocateNothing) {
    for (int depth : {11, 100000}) {
        Mobile mobile = {};
        Parse(mobile, Chain(depth));
        ASSERT_EQ(mobile.reachable.count, (uint32_t)depth);
        {
            Counted counted;
            for (uint32_t frame = 1; frame <= 20; frame++) {
                SetTestClock(1000 + frame * 50);
                UpdateAngles(mobile);
            }
            EXPECT_EQ(calls, 0u) << depth;
        }
        FreeMobile(mobile);
    }
    ClearTestClock();
}

TEST(Allocation, LineBufferIsReusedAndNeverHoldsTheText) {
    // 50 MB of comment lines: nothing is kept, and the line buffer is the
    // only thing the lines need.
    std::string line = "// " + std::string(100, 'x') + "\r\n";
    std::string text;
    text.reserve(50u << 20);
    while (text.size() + line.size() <= (50u << 20))
        text += line;
    text += "end 1: desc=0 mass=1 radius=1 above=1 string=1";
    Mobile mobile = {};
    {
        Counted counted;
        Parse(mobile, text);
        EXPECT_GE(calls, 2u); // the line buffer and the item table at least
        EXPECT_LT(calls, 20u);
        EXPECT_LT(peak, 64u << 10);
    }
    EXPECT_TRUE(FindItem(mobile, 1));
    FreeMobile(mobile);

    // A 10 MB line takes its own length once, not more.
    text = "end 1: desc=0 mass=1 radius=1 above=1 string=1 //" + std::string(10u << 20, 'y');
    {
        Counted counted;
        Parse(mobile, text);
        EXPECT_LT(peak, (10u << 20) + (64u << 10));
    }
    FreeMobile(mobile);
    ClearTestClock();
}

TEST(Allocation, OrphanCommandsKeepNothing) {
    std::string text;
    for (int i = 0; i < 100000; i++)
        text += "sglVertex3(1,2,3);\n";
    Mobile mobile = {};
    {
        Counted counted;
        Parse(mobile, text);
        EXPECT_LT(peak, 64u << 10);
    }
    FreeMobile(mobile);
    ClearTestClock();
}
