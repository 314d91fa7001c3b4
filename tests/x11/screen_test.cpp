// The real hangingmobile on a private Xvfb with Mesa's llvmpipe: wherever it
// is told to draw, the window read back shows the sky filling most of it,
// the clouds and the creature, and moves; a resize keeps the picture whole;
// the camera keys, sent through XTEST, turn it.
// gtest first: X11's None macro would break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <math.h>
#include <stdio.h>

#include "x11_harness.h"

namespace {

class Screen : public ProgramOnPrivateDisplay {
  protected:
    // Waits until the window shows the built-in mobile: sky over most of
    // it, some cloud, some creature.
    bool ShowsMobile(Window window, Census& census, double seconds = 60) {
        return PollUntil(seconds, [&] {
            return TakeCensus(x.display, window, census) && census.Share(census.background) > 0.5 &&
                   census.cloud > 200 && census.green > 200 && census.red > 20;
        });
    }

    // Waits until a later read differs from `first`: the mobile moves.
    bool Moves(Window window, const Census& first) {
        Census later;
        return PollUntil(30, [&] {
            return TakeCensus(x.display, window, later) && Difference(first, later) > 0.001;
        });
    }

    void ExpectMobileThatMoves(Window window) {
        Census census;
        ASSERT_TRUE(ShowsMobile(window, census))
            << "sky " << census.Share(census.background) << ", cloud " << census.cloud << ", green "
            << census.green << ", red " << census.red << "; program says " << ReadErrors(program);
        EXPECT_LT(census.Share(census.background), 0.97) << "the mobile fills too little";
        EXPECT_TRUE(Moves(window, census));
    }

    // Resizes `window` to half its height and checks that the whole mobile
    // is drawn again at the new size: it keeps its share of the height and
    // its width shrinks with it, since the projection follows the window.
    void ExpectResizeKeepsPicture(Window window) {
        Census before, after;
        ASSERT_TRUE(ShowsMobile(window, before));
        int width = before.width, height = before.height / 2;
        XResizeWindow(x.display, window, (unsigned)width, (unsigned)height);
        XSync(x.display, False);
        // Until the program has seen the new size a frame may still come with
        // the old projection, cut off at the foot of the window; so it polls.
        double tallBefore = (double)(before.y1 - before.y0) / before.height;
        double tallAfter = 0, wide = 0;
        EXPECT_TRUE(PollUntil(60,
                              [&] {
                                  if (!TakeCensus(x.display, window, after) ||
                                      after.height != height || after.x1 < after.x0)
                                      return false;
                                  tallAfter = (double)(after.y1 - after.y0) / after.height;
                                  wide = (double)(after.x1 - after.x0) / (before.x1 - before.x0);
                                  return after.Share(after.background) > 0.5 && after.cloud > 50 &&
                                         after.green > 50 && after.y1 < height * 0.95 &&
                                         fabs(tallAfter - tallBefore) < 0.2 &&
                                         fabs(wide - 0.5) < 0.25;
                              }))
            << "after the resize: " << after.width << "x" << after.height << ", sky "
            << after.Share(after.background) << ", the mobile's share of the height " << tallAfter
            << " (before " << tallBefore << "), its width against before " << wide;
    }
};

TEST_F(Screen, OwnWindowShowsTheMobileMovingAndFollowsItsSize) {
    Start({"--window"});
    Window window = 0;
    ASSERT_TRUE(PollUntil(30, [&] { return (window = FindProgramWindow(x.display)) != 0; }));
    XWindowAttributes attributes;
    XGetWindowAttributes(x.display, window, &attributes);
    EXPECT_EQ(attributes.width, 800);
    EXPECT_EQ(attributes.height, 600);
    ExpectMobileThatMoves(window);
    ExpectResizeKeepsPicture(window);
}

TEST_F(Screen, GivenWindowByIdShowsTheMobileAndFollowsItsSize) {
    Window window = MakeWindow(640, 480);
    char id[32];
    snprintf(id, sizeof id, "0x%lx", window);
    Start({"-window-id", id});
    ExpectMobileThatMoves(window);
    ExpectResizeKeepsPicture(window);
    EXPECT_EQ(FindProgramWindow(x.display), 0u) << "it made a window of its own";
}

TEST_F(Screen, XScreenSaverWindowWinsOverOptions) {
    Window window = MakeWindow(500, 400);
    Start({"--window"}, {"XSCREENSAVER_WINDOW=" + std::to_string(window)});
    ExpectMobileThatMoves(window);
    EXPECT_EQ(FindProgramWindow(x.display), 0u) << "it made a window of its own";
}

TEST_F(Screen, RootWindowShowsTheMobile) {
    Start({"-root"});
    ExpectMobileThatMoves(DefaultRootWindow(x.display));
}

// A red board in the plane x-y that hardly twists: seen edge on from the
// default camera (longitude 0, on the x axis), face on from longitude 90.
const char* kBoard = "perspective: 45,3,90 lookat=4 timef=1 background=0.1,0.1,0.2 "
                     "perimeter=30 thread=0.05,0.1,0.1,0.2 periodicity=0\n"
                     "end 1: desc=1 mass=1 radius=1 above=1 string=100000\n"
                     "desc 1\n"
                     "sglBegin(GL_QUADS);\n"
                     "sglColor3(1,0,0);\n"
                     "sglVertex3(-6,0,0);\nsglVertex3(6,0,0);\n"
                     "sglVertex3(6,-6,0);\nsglVertex3(-6,-6,0);\n"
                     "sglEnd();\n";

TEST_F(Screen, CameraKeysTurnTheViewAndQCloses) {
    std::string board = WriteFile("board.txt", kBoard);
    Start({"--description", board});
    Window window = 0;
    ASSERT_TRUE(PollUntil(30, [&] { return (window = FindProgramWindow(x.display)) != 0; }));
    int event, error, major, minor;
    ASSERT_TRUE(XTestQueryExtension(x.display, &event, &error, &major, &minor));
    Census census;
    ASSERT_TRUE(PollUntil(30, [&] {
        return TakeCensus(x.display, window, census) && census.Share(census.background) > 0.9;
    }));
    long edgeOn = census.red;
    EXPECT_LT(census.Share(census.red), 0.02) << "the board is not seen edge on";

    auto press = [&](KeySym symbol, int times) {
        XSetInputFocus(x.display, window, RevertToParent, CurrentTime);
        KeyCode code = XKeysymToKeycode(x.display, symbol);
        for (int i = 0; i < times; i++) {
            XTestFakeKeyEvent(x.display, code, True, CurrentTime);
            XTestFakeKeyEvent(x.display, code, False, CurrentTime);
        }
        XSync(x.display, False);
    };
    // Six times End is 90 degrees round: the board faces the camera.
    press(XK_End, 6);
    ASSERT_TRUE(PollUntil(
        30,
        [&] { return TakeCensus(x.display, window, census) && census.Share(census.red) > 0.05; }))
        << "red " << census.red << " after End, " << edgeOn << " before";
    long faceOn = census.red;
    // Page Down looks from higher up, foreshortening it; back down with Page Up.
    press(XK_Page_Down, 4);
    ASSERT_TRUE(PollUntil(
        30, [&] { return TakeCensus(x.display, window, census) && census.red < faceOn * 0.9; }))
        << "red " << census.red << " from above, " << faceOn << " face on";
    press(XK_Page_Up, 4);
    // Ninety single steps back with the left arrow: edge on again.
    press(XK_Left, 90);
    ASSERT_TRUE(PollUntil(
        30,
        [&] { return TakeCensus(x.display, window, census) && census.Share(census.red) < 0.02; }))
        << "red " << census.red << " after Left";

    press(XK_q, 1);
    EXPECT_EQ(WaitForExit(program, 30), 0);
}

// Errors a user can read: one line and status 1, never a crash.
TEST_F(Screen, BadWindowsAndOptionsEndWithOneLine) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> environment;
        std::string says;
    } cases[] = {
        {{"--window-id", "0x7fffff0"}, {}, "is no window"},
        {{}, {"XSCREENSAVER_WINDOW=12345678"}, "is no window"},
        {{}, {"XSCREENSAVER_WINDOW=window"}, "is no window id"},
        {{"--description", ScratchPath("missing.txt")}, {}, "cannot read"},
        {{"--description", testing::TempDir()}, {}, "cannot read"},
        {{"--delay", "fast"}, {}, "--delay wants"},
        // Ids are read strictly: no second 0x, sign or space.
        {{"--window-id", "0x0x21"}, {}, "--window-id wants"},
        {{"--visual", "0x0x21"}, {}, "--visual wants"},
        {{}, {"XSCREENSAVER_WINDOW=0x0x21"}, "is no window id"},
        {{}, {"XSCREENSAVER_WINDOW= 33"}, "is no window id"},
    };
    for (const Case& c : cases) {
        Start(c.arguments, c.environment);
        EXPECT_EQ(WaitForExit(program, 30), 1) << c.says;
        std::string errors = ReadErrors(program);
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
        EXPECT_EQ(errors.find("hangingmobile: "), 0u) << errors;
    }
    // A file name that holds a line end: still one line.
    Start({"--description", ScratchPath("two\nlines.txt")});
    EXPECT_EQ(WaitForExit(program, 30), 1);
    EXPECT_EQ(ReadErrors(program), "hangingmobile: cannot read " + ScratchPath("two\\nlines.txt") +
                                       ": No such file or directory\n");
    // No X display at all.
    Process lost = StartProcess({ProgramPath()}, ":65000");
    EXPECT_EQ(WaitForExit(lost, 30), 1);
    EXPECT_EQ(ReadErrors(lost).find("hangingmobile: cannot open the X display"), 0u);
}

TEST(TwoScreens, AWindowOnTheOtherScreenIsRefusedForThat) {
    PrivateDisplay two;
    ASSERT_TRUE(StartPrivateDisplay(two, {"-screen", "1", "320x240x24"})) << "no Xvfb";
    ASSERT_EQ(ScreenCount(two.display), 2);
    Window window =
        XCreateSimpleWindow(two.display, RootWindow(two.display, 1), 0, 0, 100, 100, 0, 0, 0);
    XMapWindow(two.display, window);
    XSync(two.display, False);
    Process program = StartProcess({ProgramPath(), "--window-id", HexId(window)}, two.name);
    EXPECT_EQ(WaitForExit(program, 30), 1);
    EXPECT_EQ(ReadErrors(program), "hangingmobile: window " + HexId(window) +
                                       " is on screen 1, and the display " + two.name +
                                       " names screen 0\n");
    StopPrivateDisplay(two);
}

TEST(NoGlx, ADisplayWithoutGlxEndsWithOneLine) {
    PrivateDisplay bare;
    ASSERT_TRUE(StartPrivateDisplay(bare, {"-extension", "GLX"})) << "no Xvfb";
    Process program = StartProcess({ProgramPath(), "--root"}, bare.name);
    EXPECT_EQ(WaitForExit(program, 30), 1);
    EXPECT_EQ(ReadErrors(program).find("hangingmobile: the X display " + bare.name +
                                       " has no OpenGL (GLX)\n"),
              0u)
        << ReadErrors(program);
    StopPrivateDisplay(bare);
}

} // namespace
