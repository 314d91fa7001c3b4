// The full-screen saver (/s) driven from outside: its window, what it shows,
// what ends it and what does not.
#include <string.h>

#include "tests/e2e/e2e.h"

namespace {

using namespace e2e;

// The built-in mobile's own colours, with room for lighting and blending.
bool HasColourNear(const robot::Picture& picture, unsigned rgb) {
    return robot::CountColour(picture, rgb, 40) > 0;
}

struct FullScreenTest : SaverTest {
    HWND primary = nullptr;

    // Starts /s and waits until its window has the keyboard: input sent
    // through the system then reaches it.
    void StartFullScreen(const char* arguments = "/s",
                         const std::string& program = robot::SaverPath()) {
        std::vector<HWND> windows = StartSaver(arguments, 1, program);
        ASSERT_EQ(1u, windows.size());
        primary = windows[0];
        ASSERT_TRUE(robot::WaitUntil([&] { return GetForegroundWindow() == primary; }))
            << "the saver's window never became the foreground window";
    }

    // Use inside ASSERT_NO_FATAL_FAILURE: once the saver is gone, the rest
    // of a test has nothing to drive.
    void ExpectStillRunning(const char* after) {
        bool turned = CameraRoundTrip();
        ASSERT_TRUE(robot::Running(saver)) << after << ": the saver ended";
        ASSERT_TRUE(IsWindow(primary)) << after;
        ASSERT_TRUE(turned) << after << ": the saver stopped taking keys";
    }
};

TEST_F(FullScreenTest, OneTopmostWindowCoversTheScreenAndShowsTheMobile) {
    StartFullScreen();
    robot::WindowFacts facts = robot::Describe(primary);
    EXPECT_TRUE(SameRect(Rect(0, 0, kScreenWidth, kScreenHeight), facts.rect)) << Show(facts.rect);
    EXPECT_TRUE(facts.exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(facts.style & WS_POPUP);
    EXPECT_FALSE(facts.style & WS_CAPTION);
    EXPECT_EQ(nullptr, facts.owner);
    EXPECT_EQ(0, facts.firstExtraLong) << "the primary window's index";

    RECT screen = Rect(0, 0, kScreenWidth, kScreenHeight);
    ASSERT_TRUE(WaitForMobile(screen)) << "no mobile on the screen";
    robot::Picture picture = robot::CaptureScreen(screen);
    EXPECT_TRUE(HasColourNear(picture, robot::Rgb(191, 222, 240))) << "a light cloud shade";
    EXPECT_TRUE(HasColourNear(picture, robot::Rgb(0, 135, 0))) << "creature green";
    EXPECT_TRUE(HasColourNear(picture, robot::Rgb(255, 0, 0))) << "crest red";
    // The mobile moves: later frames differ.
    EXPECT_TRUE(robot::WaitUntil([&] {
        return robot::CaptureScreen(screen).pixels != picture.pixels;
    })) << "the picture stands still";
}

// Each of these ends the saver at once, whatever the password settings,
// since the input comes well within the password delay.
struct Dismissal {
    const char* name;
    WORD key; // 0: a mouse button instead
    robot::MouseButton button;
};

struct DismissalTest : FullScreenTest, testing::WithParamInterface<Dismissal> {};

TEST_P(DismissalTest, EndsTheSaverWithExitCodeZero) {
    StartFullScreen();
    if (GetParam().key)
        robot::PressKey(GetParam().key);
    else
        robot::ClickButton(GetParam().button);
    ExpectEndsWithZero(GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(KeysAndButtons, DismissalTest,
                         testing::Values(Dismissal{"letter", 'A', robot::LeftButton},
                                         Dismissal{"space", VK_SPACE, robot::LeftButton},
                                         Dismissal{"escape", VK_ESCAPE, robot::LeftButton},
                                         Dismissal{"insert", VK_INSERT, robot::LeftButton},
                                         Dismissal{"left", 0, robot::LeftButton},
                                         Dismissal{"right", 0, robot::RightButton},
                                         Dismissal{"middle", 0, robot::MiddleButton}),
                         [](const testing::TestParamInfo<Dismissal>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(FullScreenTest, CursorTravelEndsTheSaverOnlyBeyondTheDefaultThresholdOnEitherAxis) {
    StartFullScreen();
    const POINT within[] = {{kHome.x + 50, kHome.y},      {kHome.x - 50, kHome.y},
                            {kHome.x, kHome.y + 50},      {kHome.x, kHome.y - 50},
                            {kHome.x + 40, kHome.y + 40}, {kHome.x - 50, kHome.y + 50}};
    for (const POINT& point : within) {
        robot::MoveCursor(point.x, point.y);
        std::string where = std::to_string(point.x) + "," + std::to_string(point.y);
        ASSERT_NO_FATAL_FAILURE(ExpectStillRunning(where.c_str()));
    }
    // Travel is measured from where the cursor was at the start, not from
    // the last move, and one more pixel on one axis is enough.
    robot::MoveCursor(kHome.x, kHome.y - 51);
    ExpectEndsWithZero("51 pixels up");
}

TEST_F(FullScreenTest, AStoredMouseThresholdReplacesTheDefault) {
    ASSERT_TRUE(robot::WriteDword(HKEY_CURRENT_USER, kSystemKey, "Mouse Threshold", 200));
    StartFullScreen();
    robot::MoveCursor(kHome.x + 200, kHome.y - 150);
    ASSERT_NO_FATAL_FAILURE(ExpectStillRunning("200 pixels right"));
    robot::MoveCursor(kHome.x - 201, kHome.y);
    ExpectEndsWithZero("201 pixels left");
}

// The creatures' red crests sit on top of them: seen from above (the
// default latitude 20 or more) they show whatever the pieces' twist, seen
// from below they are hidden behind the bodies.
size_t CrestPixels() {
    return robot::CountColour(robot::CaptureScreen(Rect(0, 0, kScreenWidth, kScreenHeight)),
                              robot::Rgb(255, 0, 0), 40);
}

TEST_F(FullScreenTest, CameraKeysTurnTheViewStoreItAndDoNotEndTheSaver) {
    StartFullScreen();
    ASSERT_TRUE(WaitForMobile(Rect(0, 0, kScreenWidth, kScreenHeight)));
    size_t fromAbove = CrestPixels();
    ASSERT_GT(fromAbove, 1000u) << "crests seen from the default camera";

    struct Step {
        WORD key;
        int latitude, longitude;
    } steps[] = {
        {VK_PRIOR, 5, 0},     {VK_NEXT, 20, 0},     {VK_END, 20, 15},     {VK_HOME, 20, 0},
        {VK_LEFT, 20, 359},   {VK_RIGHT, 20, 360},  {VK_UP, 19, 360},     {VK_DOWN, 20, 360},
        {VK_PRIOR, 5, 360},   {VK_PRIOR, -10, 360}, {VK_PRIOR, -25, 360}, {VK_PRIOR, -40, 360},
        {VK_PRIOR, -55, 360}, {VK_PRIOR, -70, 360}, {VK_PRIOR, -85, 360}, {VK_PRIOR, -85, 360}};
    for (const Step& step : steps) {
        robot::PressKey(step.key);
        auto stored = [&] {
            return StoredSetting("latitude", -999) == step.latitude &&
                   StoredSetting("longitude", -999) == step.longitude;
        };
        robot::WaitUntil([&] { return stored() || !robot::Running(saver); });
        ASSERT_TRUE(robot::Running(saver)) << "key " << step.key << " ended the saver";
        EXPECT_TRUE(stored()) << "key " << step.key << ": stored "
                              << StoredSetting("latitude", -999) << ", "
                              << StoredSetting("longitude", -999);
    }
    size_t fromBelow = 0;
    EXPECT_TRUE(robot::WaitUntil([&] { return (fromBelow = CrestPixels()) < fromAbove / 20; }))
        << fromBelow << " crest pixels from below, " << fromAbove << " from above";

    robot::PressKey('Q');
    ExpectEndsWithZero("a letter after the camera keys");
}

TEST_F(FullScreenTest, CloseRequestsFromOutsideAreIgnored) {
    StartFullScreen();
    ASSERT_TRUE(robot::PostClose(primary));
    PostMessageA(primary, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    PostMessageA(primary, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD_PTR result = 0;
    EXPECT_TRUE(
        SendMessageTimeoutA(primary, WM_CLOSE, 0, 0, SMTO_NORMAL, robot::kPatience, &result))
        << "the saver did not answer a sent WM_CLOSE";
    ASSERT_NO_FATAL_FAILURE(
        ExpectStillRunning("WM_CLOSE and the system's close and screen-saver commands"));
    robot::PressKey('Z');
    ExpectEndsWithZero("a letter after the outside requests");
}

// Nobody sees a display that is off, or in low power: the frames stop while
// the saver runs on, and come back with the display.
TEST_F(FullScreenTest, FramesStopWhileTheDisplayIsOffAndComeBackWithIt) {
    StartFullScreen();
    RECT screen = Rect(0, 0, kScreenWidth, kScreenHeight);
    ASSERT_TRUE(WaitForMobile(screen));
    for (LPARAM off : {2, 1}) {
        DWORD_PTR result = 0;
        ASSERT_TRUE(SendMessageTimeoutA(primary, WM_SYSCOMMAND, SC_MONITORPOWER, off, SMTO_NORMAL,
                                        robot::kPatience, &result));
        // Once the last frame drawn has reached the screen, two reads a
        // second apart are the same.
        robot::Picture still;
        EXPECT_TRUE(robot::WaitUntil([&] {
            still = robot::CaptureScreen(screen);
            robot::Pause(1000);
            return robot::CaptureScreen(screen).pixels == still.pixels;
        })) << "frames go on with the display at "
            << off;
        ASSERT_NO_FATAL_FAILURE(ExpectStillRunning("the display switched off"));
        ASSERT_TRUE(SendMessageTimeoutA(primary, WM_SYSCOMMAND, SC_MONITORPOWER, (LPARAM)-1,
                                        SMTO_NORMAL, robot::kPatience, &result));
        EXPECT_TRUE(robot::WaitUntil([&] {
            return robot::CaptureScreen(screen).pixels != still.pixels;
        })) << "no frames once the display came back from "
            << off;
    }
    ExpectStillRunning("the display back on");
}

// Older systems say nothing when input wakes the display, and a system may
// take the registration for the notification and never send it (Wine
// does): input the saver outlives shows that the display is on, and the
// frames come back. The copy in without-notification\ registers for none.
struct WakeTest : FullScreenTest, testing::WithParamInterface<const char*> {
    RECT screen = Rect(0, 0, kScreenWidth, kScreenHeight);
    robot::Picture still;

    void StartAndSwitchTheDisplayOff() {
        std::string copy = robot::OwnFolder() + "without-notification\\HangingMobile.scr";
        StartFullScreen("/s", strcmp(GetParam(), "shipped") == 0 ? robot::SaverPath() : copy);
        ASSERT_TRUE(WaitForMobile(screen));
        ASSERT_TRUE(SwitchDisplayOff(primary, screen, &still)) << "frames with the display off";
    }
};

TEST_P(WakeTest, ACameraKeyBringsTheFramesBackWithTheCameraTurned) {
    ASSERT_NO_FATAL_FAILURE(StartAndSwitchTheDisplayOff());
    robot::PressKey(VK_RIGHT);
    EXPECT_TRUE(WaitForFrames(screen, still)) << "no frames after a camera key";
    EXPECT_TRUE(robot::WaitUntil([] { return StoredSetting("longitude", -1) == 1; }));
    EXPECT_TRUE(robot::Running(saver));
}

TEST_P(WakeTest, MouseTravelWithinTheThresholdBringsTheFramesBack) {
    ASSERT_NO_FATAL_FAILURE(StartAndSwitchTheDisplayOff());
    robot::MoveCursor(kHome.x + 20, kHome.y - 20);
    EXPECT_TRUE(WaitForFrames(screen, still)) << "no frames after the mouse moved";
    EXPECT_TRUE(robot::Running(saver));
}

INSTANTIATE_TEST_SUITE_P(Saver, WakeTest, testing::Values("shipped", "without_notification"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

TEST_F(FullScreenTest, LosingActivationToAnotherProgramEndsTheSaver) {
    StartFullScreen();
    HWND mine = OpenRobotWindow(Rect(10, 10, 110, 60));
    ASSERT_NE(nullptr, mine);
    robot::Activate(mine);
    ExpectEndsWithZero("activating a window of another program");
}

} // namespace
