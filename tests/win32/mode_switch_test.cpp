// The switch to the faster display mode, for real. Run twice: on the plain
// virtual display, which refuses 640 x 480 x 16 (the saver then goes on in
// the current mode), and inside Wine's own virtual desktop, which offers it.
//   mode_switch_test --expect-switch | --expect-no-switch
#include <windows.h>
#include <gtest/gtest.h>
#include <string.h>

#include "host/dpi_messages.h"
#include "host/opengl.h"
#include "host/saver_host.h"
#include "host/saver_windows.h"
#include "host/startup.h"

namespace {

bool expectSwitch = false;

DEVMODEA CurrentMode() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}

} // namespace

TEST(SwitchToFastMode, SwitchesWhenTheModeIsOfferedAndStopRestoresIt) {
    // The saver's own primary window, as the full-screen saver makes it.
    host.instance = GetModuleHandleA(nullptr);
    host.mode = ModeSaver;
    RegisterWindowClasses();
    CollectMonitors(false);
    int32_t windowIndex = 0;
    HWND window = CreateWindowExA(0, kSaverClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768,
                                  nullptr, nullptr, host.instance, &windowIndex);
    ASSERT_NE(nullptr, window);
    DEVMODEA before = CurrentMode();
    host.referenceCursor = POINT{-5, -5};

    SwitchToFastMode(window);
    EXPECT_TRUE(modeSwitchTried);
    EXPECT_FALSE(host.dismissalSuspended);
    DEVMODEA during = CurrentMode();
    if (expectSwitch) {
        ASSERT_TRUE(modeSwitched);
        EXPECT_EQ(640u, during.dmPelsWidth);
        EXPECT_EQ(480u, during.dmPelsHeight);
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(640, rect.right - rect.left);
        EXPECT_EQ(480, rect.bottom - rect.top);
        EXPECT_NE(-5, host.referenceCursor.x) << "the cursor is read again after the change";
        // The smaller mode may change the DPI too; the window must stay on the
        // monitor as it is now, not go back to where it was at start.
        RECT suggested = {0, 0, 1024, 768};
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(96, 96), (LPARAM)&suggested);
        GetWindowRect(window, &rect);
        EXPECT_EQ(0, rect.left);
        EXPECT_EQ(0, rect.top);
        EXPECT_EQ(640, rect.right - rect.left) << "after WM_DPICHANGED";
        EXPECT_EQ(480, rect.bottom - rect.top) << "after WM_DPICHANGED";
    } else {
        EXPECT_FALSE(modeSwitched);
        EXPECT_EQ(before.dmPelsWidth, during.dmPelsWidth);
        EXPECT_EQ(-5, host.referenceCursor.x);
    }

    // Tried once per process until stopped.
    modeSwitched = false;
    SwitchToFastMode(window);
    EXPECT_FALSE(modeSwitched);
    modeSwitched = expectSwitch;

    StopOpenGL();
    DEVMODEA after = CurrentMode();
    EXPECT_EQ(before.dmPelsWidth, after.dmPelsWidth);
    EXPECT_EQ(before.dmPelsHeight, after.dmPelsHeight);
    EXPECT_EQ(!expectSwitch, modeSwitchTried) << "a switched mode is restored and forgotten";
    DestroyWindow(window);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; i++)
        if (strcmp(argv[i], "--expect-switch") == 0)
            expectSwitch = true;
    return RUN_ALL_TESTS();
}
