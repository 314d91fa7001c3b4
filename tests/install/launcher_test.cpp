// The preview tool launcher, end to end: a saver built with its trace in
// launcher_test.trace, started with "/p scrprev" from lone\ (no tool it
// could find) or from with-tool\ (Scrprev.exe beside it), and our Scrprev,
// running already, started by the saver, or misbehaving on request. The
// preview's pixels never reach the screen under this Wine, so the test
// looks at windows and processes.
#include <stdio.h>

#include "tests/install/install_test.h"

namespace {

const char* const kLauncherLines[] = {
    "Error creating scrprev process", "Scrprev never becomes idle",
    "ScrPrev, misc error after ScrPrev execution", "Unable to find Scrprev window",
    "Couldn't find Scrprev child"};

std::string TracePath() {
    return robot::OwnFolder() + "launcher_test.trace";
}

std::string Lone() {
    return robot::OwnFolder() + "lone\\HangingMobile.scr";
}

std::string WithTool() {
    return robot::OwnFolder() + "with-tool\\HangingMobile.scr";
}

std::string Tool() {
    return robot::OwnFolder() + "with-tool\\Scrprev.exe";
}

// What the launcher traced, in order.
std::vector<std::string> LauncherTrace() {
    std::vector<std::string> lines;
    for (const std::string& text : robot::ReadLines(TracePath()))
        for (const char* known : kLauncherLines)
            if (text == known)
                lines.push_back(text);
    return lines;
}

DWORD ProcessOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

struct LauncherTest : testing::Test {
    robot::Process saver = {};
    robot::Process tool = {};

    void SetUp() override {
        // The saver inherits this folder, where its trace goes and where
        // no tool lies.
        SetCurrentDirectoryA(robot::OwnFolder().c_str());
        DeleteFileA(TracePath().c_str());
        SetEnvironmentVariableA("SCRPREV_VARIANT", nullptr);
        EndEveryTool();
        ASSERT_TRUE(install::FindWindows("Scrprev").empty()) << "a preview tool is still running";
    }

    void TearDown() override {
        robot::Stop(saver);
        robot::Stop(tool);
        EndEveryTool();
        SetEnvironmentVariableA("SCRPREV_VARIANT", nullptr);
    }

    // Tools started by the savers of these tests, however they behave.
    static void EndEveryTool() {
        for (const char* className : {"Scrprev", "ScrprevElsewhere"})
            for (HWND window : install::FindWindows(className)) {
                HANDLE process =
                    OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(window));
                if (!process)
                    continue;
                TerminateProcess(process, 0xDEAD);
                WaitForSingleObject(process, robot::kPatience);
                CloseHandle(process);
            }
    }

    void StartSaver(const std::string& program) {
        ASSERT_TRUE(robot::StartProgram(saver, program, "\"" + program + "\" /p scrprev"))
            << program;
    }

    void ExpectEndsWithZero(const char* why) {
        DWORD code = 0xBAD;
        ASSERT_TRUE(robot::WaitForExit(saver, &code)) << why << ": the saver still runs";
        EXPECT_EQ(0u, code) << why;
    }

    // Waits for the saver's preview window inside the tool's display area;
    // null when it does not come.
    HWND WaitForPreview(HWND toolWindow) {
        HWND preview = nullptr;
        robot::WaitUntil([&] {
            HWND display = GetWindow(toolWindow, GW_CHILD);
            std::vector<HWND> found =
                display ? robot::ChildWindows(display, kSaverClassName) : std::vector<HWND>();
            preview = found.size() == 1 ? found[0] : nullptr;
            return preview || !robot::Running(saver);
        });
        return preview;
    }

    // The preview fills the display area and belongs to the saver; closing
    // the tool ends the saver.
    void ExpectPreviewIn(HWND toolWindow, HWND preview) {
        HWND display = GetWindow(toolWindow, GW_CHILD);
        robot::WindowFacts facts = robot::Describe(preview);
        EXPECT_EQ(saver.id, facts.processId);
        EXPECT_EQ(display, facts.parent);
        EXPECT_TRUE(facts.style & WS_CHILD);
        RECT area;
        GetWindowRect(display, &area);
        EXPECT_TRUE(EqualRect(&area, &facts.rect)) << "the preview does not fill the display area";
        EXPECT_TRUE(robot::WaitUntil([&] { return IsWindowVisible(preview) != 0; }));
        EXPECT_TRUE(LauncherTrace().empty()) << LauncherTrace()[0];

        robot::PostClose(toolWindow);
        ExpectEndsWithZero("the tool was closed");
    }
};

TEST_F(LauncherTest, ARunningToolIsReusedAndHostsThePreview) {
    ASSERT_TRUE(robot::StartProgram(tool, Tool(), "\"" + Tool() + "\""));
    std::vector<HWND> toolWindows;
    ASSERT_TRUE(robot::WaitForTopLevelWindows(tool.id, "Scrprev", 1, &toolWindows));
    ASSERT_TRUE(robot::WaitUntil([&] { return GetWindow(toolWindows[0], GW_CHILD) != nullptr; }));

    // From lone\ the saver could not start a tool of its own.
    StartSaver(Lone());
    HWND preview = WaitForPreview(toolWindows[0]);
    ASSERT_TRUE(preview) << "no preview in the running tool";
    EXPECT_EQ(toolWindows, install::FindWindows("Scrprev")) << "a second tool appeared";
    ExpectPreviewIn(toolWindows[0], preview);
}

TEST_F(LauncherTest, AToolBesideTheSaverIsStartedAndHostsThePreview) {
    StartSaver(WithTool());
    std::vector<HWND> toolWindows;
    ASSERT_TRUE(robot::WaitUntil([&] {
        toolWindows = install::FindWindows("Scrprev");
        return !toolWindows.empty() || !robot::Running(saver);
    })) << "no tool was started";
    ASSERT_EQ(1u, toolWindows.size())
        << "trace: " << (LauncherTrace().empty() ? "" : LauncherTrace()[0]);
    EXPECT_NE(saver.id, ProcessOf(toolWindows[0]));
    HWND preview = WaitForPreview(toolWindows[0]);
    ASSERT_TRUE(preview) << "no preview in the started tool; trace: "
                         << (LauncherTrace().empty() ? "" : LauncherTrace()[0]);
    ExpectPreviewIn(toolWindows[0], preview);
}

TEST_F(LauncherTest, WithoutAToolToStartTheSaverEndsAtOnce) {
    StartSaver(Lone());
    ExpectEndsWithZero("no tool");
    EXPECT_EQ(std::vector<std::string>({"Error creating scrprev process"}), LauncherTrace());
    EXPECT_TRUE(install::FindWindows("Scrprev").empty());
}

TEST_F(LauncherTest, AToolWithoutItsWindowOrItsChildGivesItsOwnTraceLine) {
    struct Case {
        const char* variant;
        const char* line;
        const char* toolClass;
    };
    for (Case c : {Case{"no-window", "Unable to find Scrprev window", "ScrprevElsewhere"},
                   Case{"no-child", "Couldn't find Scrprev child", "Scrprev"}}) {
        SCOPED_TRACE(c.variant);
        DeleteFileA(TracePath().c_str());
        SetEnvironmentVariableA("SCRPREV_VARIANT", c.variant);
        StartSaver(WithTool());
        ExpectEndsWithZero(c.variant);
        robot::Stop(saver);
        EXPECT_EQ(std::vector<std::string>({c.line}), LauncherTrace());
        // The tool did start: it is not the saver's to end.
        EXPECT_EQ(1u, install::FindWindows(c.toolClass).size());
        EndEveryTool();
    }
}

} // namespace
