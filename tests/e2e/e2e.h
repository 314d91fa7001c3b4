// What the end-to-end tests share: a fixture that starts each test from the
// saver's defaults (no stored camera, no mouse threshold or password delay
// in the system's screen-saver settings), parks the cursor at a known point
// and kills whatever saver process a test leaves running.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/robot/robot.h"

namespace e2e {

const char* const kSettingsKey = "Software\\Palvane\\Hanging Mobile";
const char* const kSystemKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const int kScreenWidth = 1024, kScreenHeight = 768;
// Where the cursor rests when a saver starts: the middle of the screen.
const POINT kHome = {512, 384};

const unsigned kBackground = 0x1A1A33; // the built-in mobile's 0.1, 0.1, 0.2
const unsigned kBlack = 0x000000;

inline RECT Rect(int left, int top, int right, int bottom) {
    RECT rect = {left, top, right, bottom};
    return rect;
}

inline bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string Show(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

// The mobile is on show in an area when its background fills much of it
// and enough pixels of other colours (the pieces and their strings) stand
// out from it.
inline bool ShowsMobile(const robot::Picture& picture) {
    size_t all = picture.pixels.size();
    size_t background = robot::CountColour(picture, kBackground, 2);
    size_t pieces = all - background - robot::CountColour(picture, kBlack);
    return background > all / 4 && pieces > all / 200;
}

// When the mobile does not come, the screen is saved beside the test
// program as <test name>.bmp for a person to look at.
inline bool WaitForMobile(const RECT& area, DWORD timeoutMs = robot::kPatience) {
    if (robot::WaitUntil([&] { return ShowsMobile(robot::CaptureScreen(area)); }, timeoutMs))
        return true;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "e2e";
    for (char& c : name)
        if (c == '/')
            c = '_';
    robot::SaveBitmap(robot::CaptureScreen(Rect(0, 0, kScreenWidth, kScreenHeight)),
                      robot::OwnFolder() + name + ".bmp");
    return false;
}

// Switches the display off as the system does (SC_MONITORPOWER 2 to the
// primary window) and waits until the last frame drawn has reached the
// screen: two reads of the area a second apart are the same, `still`.
inline bool SwitchDisplayOff(HWND primary, const RECT& area, robot::Picture* still) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(primary, WM_SYSCOMMAND, SC_MONITORPOWER, 2, SMTO_NORMAL,
                             robot::kPatience, &result))
        return false;
    return robot::WaitUntil([&] {
        *still = robot::CaptureScreen(area);
        robot::Pause(1000);
        return robot::CaptureScreen(area).pixels == still->pixels;
    });
}

// Frames are drawn again: the area no longer shows `still`.
inline bool WaitForFrames(const RECT& area, const robot::Picture& still) {
    return robot::WaitUntil([&] { return robot::CaptureScreen(area).pixels != still.pixels; });
}

// A stored per-saver integer, or `fallback` when there is none.
inline int StoredSetting(const char* name, int fallback) {
    DWORD value = 0;
    return robot::ReadDword(HKEY_CURRENT_USER, kSettingsKey, name, &value) ? (int)value : fallback;
}

struct SaverTest : testing::Test {
    robot::Process saver = {};
    std::vector<HWND> robotWindows;

    void SetUp() override {
        robot::DeleteKey(HKEY_CURRENT_USER, kSettingsKey);
        for (const char* name : {"Mouse Threshold", "Password Delay"})
            robot::DeleteValue(HKEY_CURRENT_USER, kSystemKey, name);
        robot::MoveCursor(kHome.x, kHome.y);
    }

    void TearDown() override {
        robot::Stop(saver);
        for (HWND window : robotWindows)
            DestroyWindow(window);
        robot::Pump();
        robot::DeleteKey(HKEY_CURRENT_USER, kSettingsKey);
        for (const char* name : {"Mouse Threshold", "Password Delay"})
            robot::DeleteValue(HKEY_CURRENT_USER, kSystemKey, name);
    }

    HWND OpenRobotWindow(const RECT& rect, const char* title = "robot") {
        HWND window = robot::OpenWindow(rect, title);
        if (window)
            robotWindows.push_back(window);
        return window;
    }

    // Starts the saver with the arguments and waits for `count` top-level
    // saver windows; fails the test when they do not come.
    std::vector<HWND> StartSaver(const std::string& arguments, size_t count = 1,
                                 const std::string& program = robot::SaverPath()) {
        std::vector<HWND> windows;
        EXPECT_TRUE(robot::StartProgram(saver, program, "\"" + program + "\" " + arguments))
            << program;
        EXPECT_TRUE(robot::WaitForTopLevelWindows(saver.id, kSaverClassName, count, &windows))
            << arguments << ": " << windows.size() << " saver windows";
        return windows;
    }

    // True once one of the saver's windows has the keyboard and has kept it
    // for a few polls, so that the activations of a start-up showing its
    // windows have run their course: keys sent through the system then
    // reach the saver, and another window can be given the keyboard.
    bool KeyboardReachesSaver() {
        HWND last = nullptr;
        int steady = 0;
        return robot::WaitUntil([&] {
            DWORD owner = 0;
            HWND foreground = GetForegroundWindow();
            bool saversOwn =
                foreground && GetWindowThreadProcessId(foreground, &owner) && owner == saver.id;
            steady = saversOwn && foreground == last ? steady + 1 : 0;
            last = foreground;
            return steady >= 5;
        });
    }

    // The saver ended by itself, with exit code 0.
    void ExpectEndsWithZero(const char* why) {
        DWORD code = 0xBAD;
        ASSERT_TRUE(robot::WaitForExit(saver, &code)) << why << ": the saver still runs";
        EXPECT_EQ(0u, code) << why;
    }

    // A round trip through the saver's input queue: a Right-arrow key goes
    // to the primary window, whose scene stores the turned longitude. Once
    // the store shows it, every input sent before the key was handled too.
    bool CameraRoundTrip() {
        int before = StoredSetting("longitude", 0);
        int expected = before + 1 > 360 ? before + 1 - 360 : before + 1;
        robot::PressKey(VK_RIGHT);
        robot::WaitUntil(
            [&] { return StoredSetting("longitude", -1) == expected || !robot::Running(saver); });
        return StoredSetting("longitude", -1) == expected;
    }

    // The same with the key posted to the primary window, for when keys sent
    // through the system would go elsewhere.
    bool PostedCameraRoundTrip(HWND primary) {
        int before = StoredSetting("longitude", 0);
        int expected = before + 1 > 360 ? before + 1 - 360 : before + 1;
        PostMessageA(primary, WM_KEYDOWN, VK_RIGHT, 1);
        robot::WaitUntil(
            [&] { return StoredSetting("longitude", -1) == expected || !robot::Running(saver); });
        return StoredSetting("longitude", -1) == expected;
    }
};

} // namespace e2e
