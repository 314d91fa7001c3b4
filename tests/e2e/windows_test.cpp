// Simulated monitors (/sm), the preview (/p HWND) and start-up command
// lines, driven from outside.
#include "tests/e2e/e2e.h"

namespace {

using namespace e2e;

// ---- Three simulated monitors on the 1024-wide screen.

struct MonitorsTest : SaverTest {
    HWND windows[3] = {};

    // Starts /sm and sorts its windows by the index each keeps.
    void StartMonitors(POINT cursor = kHome) {
        robot::MoveCursor(cursor.x, cursor.y);
        std::vector<HWND> found = StartSaver("/sm", 3);
        ASSERT_EQ(3u, found.size());
        for (HWND window : found) {
            LONG index = robot::Describe(window).firstExtraLong;
            ASSERT_TRUE(index >= 0 && index < 3) << index;
            ASSERT_EQ(nullptr, windows[index]) << "two windows with index " << index;
            windows[index] = window;
        }
    }
};

TEST_F(MonitorsTest, ThreeWindowsInOrderThePrimaryOwningTheOthers) {
    StartMonitors();
    const RECT expected[3] = {Rect(256, 256, 682, 682), Rect(0, 256, 256, 512),
                              Rect(682, 340, 1024, 682)};
    for (int i = 0; i < 3; i++) {
        robot::WindowFacts facts = robot::Describe(windows[i]);
        EXPECT_TRUE(SameRect(expected[i], facts.rect)) << i << ": " << Show(facts.rect);
        EXPECT_TRUE(facts.exStyle & WS_EX_TOPMOST) << i;
        EXPECT_TRUE(facts.style & WS_POPUP) << i;
        EXPECT_EQ(i == 0 ? nullptr : windows[0], facts.owner) << i;
    }
    // Owned windows stay above their owner; the primary is created first,
    // so a handle that is the owner of the others cannot be a later one.
}

TEST_F(MonitorsTest, ThePrimaryShowsTheMobileWhileTheOthersStayBlack) {
    StartMonitors();
    RECT primary = robot::Describe(windows[0]).rect;
    ASSERT_TRUE(WaitForMobile(primary)) << "no mobile in the primary window";
    // Unpainted, the X screen behind shows its own pattern, not black.
    for (int i = 1; i < 3; i++) {
        RECT area = robot::Describe(windows[i]).rect;
        EXPECT_TRUE(robot::WaitUntil([&] {
            return robot::CountOtherThan(robot::CaptureScreen(area), kBlack) == 0;
        })) << "window "
            << i << " is not plain black";
    }
    // And they stay black while the primary draws frame after frame.
    robot::Picture first = robot::CaptureScreen(primary);
    ASSERT_TRUE(robot::WaitUntil([&] {
        return robot::CaptureScreen(primary).pixels != first.pixels;
    })) << "the primary window stands still";
    for (int i = 1; i < 3; i++)
        EXPECT_EQ(0u, robot::CountOtherThan(robot::CaptureScreen(robot::Describe(windows[i]).rect),
                                            kBlack))
            << "window " << i;
    ASSERT_TRUE(KeyboardReachesSaver());
    robot::PressKey('A');
    ExpectEndsWithZero("a key");
}

TEST_F(MonitorsTest, ACameraKeyInAnotherMonitorsWindowClosesTheSaverThroughThePrimary) {
    StartMonitors();
    ASSERT_TRUE(KeyboardReachesSaver());
    ASSERT_TRUE(robot::Activate(windows[1])) << "could not give window 1 the keyboard";
    // Activation passing between the saver's own windows ends nothing.
    ASSERT_TRUE(PostedCameraRoundTrip(windows[0]));
    ASSERT_TRUE(robot::Running(saver)) << "moving activation to window 1 ended the saver";
    // Only the primary takes camera keys; window 1 cannot close by itself.
    ASSERT_TRUE(robot::Activate(windows[1])) << "window 1 lost the keyboard";
    robot::PressKey(VK_LEFT);
    ExpectEndsWithZero("Left arrow in window 1");
}

TEST_F(MonitorsTest, AClickInAnotherMonitorsWindowClosesTheSaverThroughThePrimary) {
    StartMonitors({850, 500}); // inside window 2
    robot::ClickButton(robot::LeftButton);
    ExpectEndsWithZero("a click in window 2");
}

TEST_F(MonitorsTest, CloseRequestsFromOutsideToAnyWindowAreIgnored) {
    StartMonitors();
    for (HWND window : windows) {
        robot::PostClose(window);
        DWORD_PTR result = 0;
        EXPECT_TRUE(
            SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, robot::kPatience, &result));
    }
    ASSERT_TRUE(PostedCameraRoundTrip(windows[0]));
    EXPECT_TRUE(robot::Running(saver));
    for (HWND window : windows)
        EXPECT_TRUE(IsWindow(window));
}

// ---- The preview inside a window of the robot.

const unsigned kParentGrey = 0x808080; // the robot window's GRAY_BRUSH

struct PreviewTest : SaverTest {
    HWND parent = nullptr;
    HWND child = nullptr;

    void StartPreview(const RECT& rect) {
        parent = OpenRobotWindow(rect, "preview area");
        ASSERT_NE(nullptr, parent);
        // The parent's own paint first, so that whatever else the area shows
        // later comes from the preview, not from a parent not painted yet.
        ASSERT_TRUE(robot::WaitUntil([&] {
            return robot::CountOtherThan(robot::CaptureScreen(rect), kParentGrey) == 0;
        })) << "the preview area never showed its parent's grey";
        ASSERT_TRUE(robot::Start(saver, "/p " + std::to_string((unsigned long long)parent)));
        std::vector<HWND> children;
        ASSERT_TRUE(robot::WaitUntil([&] {
            children = robot::ChildWindows(parent, kSaverClassName);
            return !children.empty();
        })) << "no saver window in the preview area";
        ASSERT_EQ(1u, children.size());
        child = children[0];
        // A window made with WS_VISIBLE is listed as soon as it exists but is
        // shown only after its creation (and the context set up in it) ends.
        ASSERT_TRUE(robot::WaitUntil([&] { return IsWindowVisible(child) != FALSE; }))
            << "the preview window never became visible";
    }
};

TEST_F(PreviewTest, OneChildFillsTheParentAndDrawsTheMobile) {
    RECT area = Rect(100, 120, 252, 232); // 152 by 112
    StartPreview(area);
    robot::WindowFacts facts = robot::Describe(child);
    EXPECT_TRUE(SameRect(area, facts.rect)) << Show(facts.rect);
    EXPECT_TRUE(facts.style & WS_CHILD);
    EXPECT_TRUE(facts.visible);
    EXPECT_EQ(-1, facts.firstExtraLong);
    EXPECT_EQ(saver.id, facts.processId);
    EXPECT_TRUE(robot::TopLevelWindows(saver.id, kSaverClassName).empty());

    // Wine on a virtual X display never shows what a process draws into a
    // child of another process's window: the area keeps the parent's own
    // grey, not even the preview's black paint comes through. The frames
    // themselves are read back from the preview's OpenGL context by
    // live_preview_test; here the screen is checked where it shows them.
    if (robot::WaitUntil(
            [&] { return robot::CountOtherThan(robot::CaptureScreen(area), kParentGrey) > 0; },
            10000)) {
        EXPECT_TRUE(WaitForMobile(area)) << "no mobile in the preview";
    }
}

TEST_F(PreviewTest, NoInputEndsItButDestroyingTheParentDoes) {
    RECT area = Rect(300, 300, 452, 412);
    StartPreview(area);
    // Real input over the preview...
    robot::Activate(parent);
    robot::MoveCursor(320, 320);
    robot::MoveCursor(440, 400);
    robot::ClickButton(robot::LeftButton);
    robot::ClickButton(robot::RightButton);
    robot::PressKey('A');
    robot::PressKey(VK_LEFT);
    // ...and the same messages handed to the saver's window itself; sent
    // messages return once handled.
    const UINT messages[][2] = {
        {WM_KEYDOWN, 'A'},   {WM_KEYDOWN, VK_LEFT},      {WM_KEYDOWN, VK_PRIOR},
        {WM_LBUTTONDOWN, 0}, {WM_RBUTTONDOWN, 0},        {WM_MBUTTONDOWN, 0},
        {WM_MOUSEMOVE, 0},   {WM_ACTIVATE, WA_INACTIVE}, {WM_SYSCOMMAND, SC_SCREENSAVE}};
    for (const auto& message : messages) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutA(child, message[0], message[1], 0, SMTO_NORMAL,
                                        robot::kPatience, &result))
            << message[0];
    }
    EXPECT_TRUE(robot::Running(saver));
    EXPECT_TRUE(IsWindow(child));
    DWORD stored = 0;
    EXPECT_FALSE(robot::ReadDword(HKEY_CURRENT_USER, kSettingsKey, "longitude", &stored))
        << "a camera key turned the preview";
    EXPECT_FALSE(robot::ReadDword(HKEY_CURRENT_USER, kSettingsKey, "latitude", &stored));

    DestroyWindow(parent);
    robotWindows.clear();
    ExpectEndsWithZero("the preview's parent was destroyed");
}

TEST_F(PreviewTest, AClosedPreviewEndsTheProgram) {
    StartPreview(Rect(0, 0, 152, 112));
    robot::PostClose(child);
    ExpectEndsWithZero("WM_CLOSE to the preview");
}

// ---- Start-up: the command line, end to end.

struct StartupTest : SaverTest {
    // The program ends by itself with 0 and never shows a saver window.
    void ExpectEndsQuietly(const char* why) {
        bool sawWindow = false;
        bool ended = robot::WaitUntil([&] {
            sawWindow = sawWindow || !robot::TopLevelWindows(saver.id, kSaverClassName).empty();
            return !robot::Running(saver);
        });
        ASSERT_TRUE(ended) << why << ": still running";
        EXPECT_FALSE(sawWindow) << why;
        ExpectEndsWithZero(why);
    }

    // A copy of the saver in a folder whose name has spaces.
    std::string CopyToFolderWithSpaces() {
        std::string folder = robot::OwnFolder() + "folder with spaces";
        CreateDirectoryA(folder.c_str(), nullptr);
        std::string copy = folder + "\\HangingMobile.scr";
        EXPECT_TRUE(CopyFileA(robot::SaverPath().c_str(), copy.c_str(), FALSE)) << copy;
        return copy;
    }
};

TEST_F(StartupTest, AnUnknownSwitchOrALoneSlashEndsQuietly) {
    for (const char* arguments : {"/x", "/", "-q"}) {
        ASSERT_TRUE(robot::Start(saver, arguments));
        ExpectEndsQuietly(arguments);
        robot::Stop(saver);
    }
}

TEST_F(StartupTest, APreviewIntoSomethingThatIsNoWindowEndsQuietly) {
    HWND gone = OpenRobotWindow(Rect(0, 0, 50, 50));
    std::string stale = std::to_string((unsigned long long)gone);
    DestroyWindow(gone);
    robotWindows.clear();
    for (std::string arguments : {"/p " + stale, std::string("/p"), std::string("/p nothing")}) {
        ASSERT_TRUE(robot::Start(saver, arguments));
        ExpectEndsQuietly(arguments.c_str());
        robot::Stop(saver);
    }
}

TEST_F(StartupTest, EveryFormOfTheSaverSwitchStartsTheFullScreenSaver) {
    for (const char* arguments : {"/S", "-s", "s", "/save", "/s m", "-S   "}) {
        std::vector<HWND> windows = StartSaver(arguments, 1);
        ASSERT_EQ(1u, windows.size()) << arguments;
        EXPECT_TRUE(
            SameRect(Rect(0, 0, kScreenWidth, kScreenHeight), robot::Describe(windows[0]).rect))
            << arguments;
        PostMessageA(windows[0], WM_KEYDOWN, 'A', 1);
        ExpectEndsWithZero(arguments);
        robot::Stop(saver);
    }
}

TEST_F(StartupTest, BothCasesOfTheMonitorsLetterSimulateThreeMonitors) {
    for (const char* arguments : {"/SM", "-sM"}) {
        std::vector<HWND> windows = StartSaver(arguments, 3);
        ASSERT_EQ(3u, windows.size()) << arguments;
        ASSERT_TRUE(KeyboardReachesSaver()) << arguments;
        robot::PressKey('A');
        ExpectEndsWithZero(arguments);
        robot::Stop(saver);
    }
}

TEST_F(StartupTest, AQuotedProgramPathWithSpacesIsSkippedWhole) {
    std::string copy = CopyToFolderWithSpaces();
    ASSERT_TRUE(robot::StartProgram(saver, copy, "\"" + copy + "\" /s"));
    std::vector<HWND> windows;
    ASSERT_TRUE(robot::WaitForTopLevelWindows(saver.id, kSaverClassName, 1, &windows));
    PostMessageA(windows[0], WM_KEYDOWN, 'A', 1);
    ExpectEndsWithZero("quoted path, then /s");
    robot::Stop(saver);

    // A tab is no separator: after a quoted name it becomes the switch.
    ASSERT_TRUE(robot::StartProgram(saver, copy, "\"" + copy + "\"\t/s"));
    ExpectEndsQuietly("quoted path, a tab, then /s");
}

} // namespace
