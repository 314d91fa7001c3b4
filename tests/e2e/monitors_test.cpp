// The full-screen saver on two real monitors of different sizes: the test
// runs on a nested X server with two Xinerama heads, where Wine makes the
// head named by --primary-head the primary monitor at (0, 0) and puts the
// other beside it, left of it at negative x when it comes first.
//
//   e2e_monitors_test --heads=800x600,640x480 --primary-head=1 [--dpi=N]
//
// With --dpi the prefix must be set to that DPI: the monitors and windows
// are still measured in device pixels.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "host/dpi_messages.h"
#include "tests/e2e/e2e.h"
#include "tests/robot/window_text.h"

namespace {

using namespace e2e;

// The rectangles Wine must give the monitors: the heads side by side in
// the order given, moved so that the primary head starts at (0, 0).
struct Layout {
    RECT primary, other;
};

bool ReadLayout(Layout* layout) {
    const char* heads = strstr(GetCommandLineA(), "--heads=");
    const char* primary = strstr(GetCommandLineA(), "--primary-head=");
    int w[2], h[2], chosen = 0;
    if (!heads || !primary ||
        sscanf(heads, "--heads=%dx%d,%dx%d", &w[0], &h[0], &w[1], &h[1]) != 4 ||
        sscanf(primary, "--primary-head=%d", &chosen) != 1 || chosen < 0 || chosen > 1)
        return false;
    RECT rects[2] = {Rect(0, 0, w[0], h[0]), Rect(w[0], 0, w[0] + w[1], h[1])};
    int dx = rects[chosen].left;
    for (RECT& rect : rects)
        OffsetRect(&rect, -dx, 0);
    layout->primary = rects[chosen];
    layout->other = rects[1 - chosen];
    return true;
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(monitor, &info);
    ((std::vector<MONITORINFO>*)data)->push_back(info);
    return TRUE;
}

POINT Middle(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

struct TwoMonitorsTest : SaverTest {
    Layout layout = {};
    HWND windows[2] = {};

    void SetUp() override {
        ASSERT_TRUE(ReadLayout(&layout)) << "usage: --heads=WxH,WxH --primary-head=0|1";
        // The display itself must be what the test is about, or nothing
        // below would prove anything.
        const char* dpi = strstr(GetCommandLineA(), "--dpi=");
        if (dpi) {
            HDC screen = GetDC(nullptr);
            int actual = GetDeviceCaps(screen, LOGPIXELSX);
            ReleaseDC(nullptr, screen);
            ASSERT_EQ(atoi(dpi + strlen("--dpi=")), actual) << "the prefix's DPI";
        }
        std::vector<MONITORINFO> monitors;
        EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, (LPARAM)&monitors);
        ASSERT_EQ(2u, monitors.size()) << "the display does not offer two monitors";
        for (const MONITORINFO& monitor : monitors) {
            bool primary = monitor.dwFlags & MONITORINFOF_PRIMARY;
            const RECT& expected = primary ? layout.primary : layout.other;
            ASSERT_TRUE(SameRect(expected, monitor.rcMonitor))
                << (primary ? "primary " : "other ") << Show(monitor.rcMonitor);
        }
        SaverTest::SetUp();
        robot::MoveCursor(Middle(layout.primary).x, Middle(layout.primary).y);
    }

    // Starts /s and sorts its two windows by the index each keeps.
    void StartOnBothMonitors() {
        std::vector<HWND> found = StartSaver("/s", 2);
        ASSERT_EQ(2u, found.size());
        for (HWND window : found) {
            LONG index = robot::Describe(window).firstExtraLong;
            ASSERT_TRUE(index == 0 || index == 1) << index;
            ASSERT_EQ(nullptr, windows[index]) << "two windows with index " << index;
            windows[index] = window;
        }
    }
};

TEST_F(TwoMonitorsTest, OneWindowCoversEachMonitorThePrimaryOwningTheOther) {
    StartOnBothMonitors();
    robot::WindowFacts primary = robot::Describe(windows[0]);
    robot::WindowFacts other = robot::Describe(windows[1]);
    EXPECT_TRUE(SameRect(layout.primary, primary.rect)) << Show(primary.rect);
    EXPECT_TRUE(SameRect(layout.other, other.rect)) << Show(other.rect);
    EXPECT_EQ(nullptr, primary.owner);
    EXPECT_EQ(windows[0], other.owner) << "the other monitor's window is owned by the primary";
    for (const robot::WindowFacts& facts : {primary, other}) {
        EXPECT_TRUE(facts.exStyle & WS_EX_TOPMOST);
        EXPECT_TRUE(facts.style & WS_POPUP);
        EXPECT_FALSE(facts.style & WS_CAPTION);
    }
}

TEST_F(TwoMonitorsTest, TheMobileShowsOnThePrimaryAndTheOtherMonitorStaysBlack) {
    StartOnBothMonitors();
    ASSERT_TRUE(WaitForMobile(layout.primary)) << "no mobile on the primary monitor";
    robot::Picture first = robot::CaptureScreen(layout.primary);
    EXPECT_TRUE(robot::CountColour(first, robot::Rgb(0, 135, 0), 40) > 0) << "creature green";
    EXPECT_TRUE(robot::WaitUntil([&] {
        return robot::CountOtherThan(robot::CaptureScreen(layout.other), kBlack) == 0;
    })) << "the other monitor is not plain black";
    ASSERT_TRUE(robot::WaitUntil([&] {
        return robot::CaptureScreen(layout.primary).pixels != first.pixels;
    })) << "the primary stands still";
    EXPECT_EQ(0u, robot::CountOtherThan(robot::CaptureScreen(layout.other), kBlack))
        << "the other monitor stays black while the primary draws";
}

// When a monitor goes, the system moves its windows onto one that stays,
// and a new DPI may follow. The other monitor's window, owned by the
// primary, would stay above it there: it goes back to its own monitor. The
// test moves it onto the primary's monitor, as the system would.
TEST_F(TwoMonitorsTest, ADpiChangeTakesTheOtherWindowBackToItsOwnMonitor) {
    StartOnBothMonitors();
    SetWindowPos(windows[1], nullptr, layout.primary.left + 10, layout.primary.top + 10, 300, 200,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(robot::WaitUntil([&] {
        RECT rect = robot::Describe(windows[1]).rect;
        return rect.left == layout.primary.left + 10 && rect.right - rect.left == 300;
    })) << Show(robot::Describe(windows[1]).rect);
    robot::Send(windows[1], WM_DPICHANGED, MAKEWPARAM(120, 120));
    EXPECT_TRUE(robot::WaitUntil([&] {
        return SameRect(layout.other, robot::Describe(windows[1]).rect);
    })) << Show(robot::Describe(windows[1]).rect);
    RECT overlap, other = robot::Describe(windows[1]).rect;
    EXPECT_FALSE(IntersectRect(&overlap, &layout.primary, &other)) << Show(other);
}

TEST_F(TwoMonitorsTest, ACursorCrossingToTheOtherMonitorEndsTheSaver) {
    StartOnBothMonitors();
    POINT there = Middle(layout.other);
    robot::MoveCursor(there.x, there.y);
    ExpectEndsWithZero("the cursor on the other monitor");
}

TEST_F(TwoMonitorsTest, AClickOnTheOtherMonitorEndsTheSaverThroughThePrimary) {
    // A threshold wider than both monitors: only the click may end it.
    ASSERT_TRUE(robot::WriteDword(HKEY_CURRENT_USER, kSystemKey, "Mouse Threshold", 5000));
    StartOnBothMonitors();
    ASSERT_TRUE(KeyboardReachesSaver());
    POINT there = Middle(layout.other);
    robot::MoveCursor(there.x, there.y);
    // On an X display without a window manager the keyboard follows the
    // cursor to the other window, where a key would end the saver itself.
    bool turned = PostedCameraRoundTrip(windows[0]);
    ASSERT_TRUE(robot::Running(saver)) << "the cursor's travel alone ended the saver";
    ASSERT_TRUE(turned) << "the saver stopped taking keys";
    robot::ClickButton(robot::LeftButton);
    // The other monitor's window never closes by itself: the saver ends
    // only if the click reached the primary as a close request.
    ExpectEndsWithZero("a click on the other monitor");
}

TEST_F(TwoMonitorsTest, AKeyInTheOtherMonitorsWindowEndsTheSaverThroughThePrimary) {
    StartOnBothMonitors();
    ASSERT_TRUE(KeyboardReachesSaver());
    ASSERT_TRUE(robot::Activate(windows[1])) << "could not give the other window the keyboard";
    robot::PressKey(VK_LEFT); // a camera key only in the primary window
    ExpectEndsWithZero("Left arrow in the other monitor's window");
}

} // namespace
