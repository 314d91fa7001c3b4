// The password path of the Windows 9x family, end to end: the saver copy in
// win98\ runs with Wine reporting Windows 98 and finds the recording
// stand-ins for PASSWORD.CPL and MPR.DLL beside it. The stand-ins take their
// answer from the environment the saver inherits and write what they were
// asked to a record file.
#include <stdio.h>

#include "tests/e2e/e2e.h"

namespace {

using namespace e2e;

const char kProgramName[] = "HangingMobile98.scr";
const char kAppKey[] = "Software\\Wine\\AppDefaults\\HangingMobile98.scr";

std::string ProgramPath() {
    return robot::OwnFolder() + "win98\\" + kProgramName;
}

std::string RecordPath() {
    return robot::OwnFolder() + "password_test.doubles.log";
}

std::vector<std::string> RecordLines() {
    return robot::ReadLines(RecordPath());
}

// Record lines that begin with `prefix`.
std::vector<std::string> Calls(const char* prefix) {
    std::vector<std::string> found;
    for (const std::string& line : RecordLines())
        if (line.compare(0, strlen(prefix), prefix) == 0)
            found.push_back(line);
    return found;
}

std::string Number(HWND window) {
    return std::to_string((unsigned long long)(ULONG_PTR)window);
}

struct PasswordTest : SaverTest {
    void SetUp() override {
        SaverTest::SetUp();
        robot::DeleteKey(HKEY_CURRENT_USER, kAppKey);
        ASSERT_TRUE(robot::WriteString(HKEY_CURRENT_USER, kAppKey, "Version", "win98"));
        // Wine prefers its own MPR.DLL to one beside the program.
        ASSERT_TRUE(robot::WriteString(
            HKEY_CURRENT_USER, (std::string(kAppKey) + "\\DllOverrides").c_str(), "mpr", "native"));
        DeleteFileA(RecordPath().c_str());
        SetEnvironmentVariableA("HM_DOUBLES_LOG", RecordPath().c_str());
    }

    void TearDown() override {
        SaverTest::TearDown();
        robot::DeleteKey(HKEY_CURRENT_USER, kAppKey);
        SetEnvironmentVariableA("HM_DOUBLES_LOG", nullptr);
        SetEnvironmentVariableA("HM_DOUBLES_PASSWORD_ANSWER", nullptr);
    }

    // Starts the Windows 98 copy with the stand-in's answer and the delay.
    std::vector<HWND> Start98(const char* arguments, size_t windows, int answer, DWORD delay) {
        SetEnvironmentVariableA("HM_DOUBLES_PASSWORD_ANSWER", answer ? "1" : "0");
        EXPECT_TRUE(robot::WriteDword(HKEY_CURRENT_USER, kSystemKey, "Password Delay", delay));
        std::vector<HWND> found;
        std::string program = ProgramPath();
        EXPECT_TRUE(robot::StartProgram(saver, program, "\"" + program + "\" " + arguments))
            << program;
        EXPECT_TRUE(robot::WaitForTopLevelWindows(saver.id, kSaverClassName, windows, &found));
        EXPECT_TRUE(KeyboardReachesSaver()) << "no saver window has the keyboard";
        return found;
    }

    // The delay counts from just before the windows were created, so once
    // this much more than it has passed since they showed, it is over.
    void LetTheDelayPass(DWORD delaySeconds) { robot::Pause(delaySeconds * 1000 + 1000); }

    HWND Primary(const std::vector<HWND>& windows) {
        for (HWND window : windows)
            if (robot::Describe(window).firstExtraLong == 0)
                return window;
        return nullptr;
    }
};

TEST_F(PasswordTest, InputWithinTheDelayClosesWithoutAskingForThePassword) {
    std::vector<HWND> windows = Start98("/s", 1, 0, 60);
    ASSERT_EQ(1u, windows.size());
    robot::PressKey('A');
    ExpectEndsWithZero("a key within the password delay");
    EXPECT_TRUE(Calls("VerifyScreenSavePwd").empty());
}

TEST_F(PasswordTest, ARefusedPasswordAfterTheDelayKeepsEveryWindowRunning) {
    std::vector<HWND> windows = Start98("/sm", 3, 0, 1);
    ASSERT_EQ(3u, windows.size());
    HWND primary = Primary(windows);
    ASSERT_NE(nullptr, primary);
    LetTheDelayPass(1);
    robot::PressKey('A');
    ASSERT_TRUE(robot::WaitUntil([] { return !Calls("VerifyScreenSavePwd").empty(); }))
        << "PASSWORD.CPL was not asked";
    EXPECT_EQ("VerifyScreenSavePwd " + Number(primary) + " -> 0", Calls("VerifyScreenSavePwd")[0]);

    // The system's close command is swallowed too, so it asks nothing more;
    // a camera key posted after it shows that it was handled.
    PostMessageA(primary, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(primary, WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_TRUE(robot::WaitUntil([] { return StoredSetting("longitude", -1) == 1; }));
    EXPECT_TRUE(robot::Running(saver));
    for (HWND window : windows)
        EXPECT_TRUE(IsWindow(window) && IsWindowVisible(window));
    EXPECT_EQ(1u, Calls("VerifyScreenSavePwd").size());
    EXPECT_TRUE(WaitForMobile(robot::Describe(primary).rect)) << "the mobile after the refusal";

    // The next dismissing input asks again.
    robot::ClickButton(robot::LeftButton);
    EXPECT_TRUE(robot::WaitUntil([] { return Calls("VerifyScreenSavePwd").size() == 2; }));
    EXPECT_TRUE(robot::Running(saver));
}

// Somebody answered the dialog, so the display is on after it whatever the
// system said. The refused close request stands, so a WM_CLOSE asks again
// with no input to wake the display.
TEST_F(PasswordTest, TheFramesComeBackAfterADialogThatEndsWithTheDisplayOff) {
    std::vector<HWND> windows = Start98("/s", 1, 0, 1);
    ASSERT_EQ(1u, windows.size());
    LetTheDelayPass(1);
    robot::PressKey('A');
    ASSERT_TRUE(robot::WaitUntil([] { return Calls("VerifyScreenSavePwd").size() == 1; }));
    RECT screen = robot::Describe(windows[0]).rect;
    ASSERT_TRUE(WaitForMobile(screen));
    robot::Picture still;
    ASSERT_TRUE(SwitchDisplayOff(windows[0], screen, &still)) << "frames with the display off";
    PostMessageA(windows[0], WM_CLOSE, 0, 0);
    ASSERT_TRUE(robot::WaitUntil([] { return Calls("VerifyScreenSavePwd").size() == 2; }));
    EXPECT_TRUE(WaitForFrames(screen, still)) << "no frames after the dialog";
    EXPECT_TRUE(robot::Running(saver));
}

TEST_F(PasswordTest, AnAcceptedPasswordAfterTheDelayEndsTheSaver) {
    std::vector<HWND> windows = Start98("/s", 1, 1, 1);
    ASSERT_EQ(1u, windows.size());
    LetTheDelayPass(1);
    robot::PressKey('A');
    ExpectEndsWithZero("an accepted password");
    EXPECT_EQ(std::vector<std::string>({"VerifyScreenSavePwd " + Number(windows[0]) + " -> 1"}),
              Calls("VerifyScreenSavePwd"));
}

TEST_F(PasswordTest, ChangingThePasswordAsksMprForTheSaversPassword) {
    HWND owner = OpenRobotWindow(Rect(0, 0, 200, 100), "owner");
    std::string program = ProgramPath();
    ASSERT_TRUE(robot::StartProgram(saver, program, "\"" + program + "\" /a " + Number(owner)));
    bool sawWindow = false;
    ASSERT_TRUE(robot::WaitUntil([&] {
        sawWindow = sawWindow || !robot::TopLevelWindows(saver.id, kSaverClassName).empty();
        return !robot::Running(saver);
    }));
    EXPECT_FALSE(sawWindow);
    ExpectEndsWithZero("/a");
    EXPECT_EQ(std::vector<std::string>({"PwdChangePasswordA SCRSAVE " + Number(owner) + " 0 0"}),
              Calls("PwdChangePasswordA"));
}

} // namespace
