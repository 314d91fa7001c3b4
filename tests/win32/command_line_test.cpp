// How start-up reads the module path and the raw command line, case by case.
#include <windows.h>
#include <gtest/gtest.h>

#include "host/command_line.h"

namespace {

struct Case {
    const char* modulePath;
    const char* commandLine;
    SaverMode mode;
    INT_PTR window;
    bool simulateMonitors;
    bool parentIsForeground;
    bool launchPreviewTool;
};

const char* kScr = "C:\\windows\\Hanging Mobile.scr";
const char* kExe = "C:\\work\\HangingMobile.exe";

const Case kCases[] = {
    // No argument: configuration, or install under an installer's name.
    {kScr, "\"C:\\windows\\Hanging Mobile.scr\"", ModeConfig, 0, false, false, false},
    {kScr, "saver.scr   ", ModeConfig, 0, false, false, false},
    {kExe, "HangingMobile.exe", ModeInstall, 0, false, false, false},
    {"C:\\WORK\\HANGINGMOBILE.EXE", "x", ModeInstall, 0, false, false, false},
    {"C:\\setup.exe.d\\Hanging.scr", "x", ModeInstall, 0, false, false, false},
    {"C:\\work\\HangingMobile.Exe", "x", ModeConfig, 0, false, false, false},
    // Full screen: the letter alone decides, "m" right after it simulates monitors.
    {kScr, "x /s", ModeSaver, 0, false, false, false},
    {kScr, "x -s", ModeSaver, 0, false, false, false},
    {kScr, "x s", ModeSaver, 0, false, false, false},
    {kScr, "x /S", ModeSaver, 0, false, false, false},
    {kScr, "x /save", ModeSaver, 0, false, false, false},
    {kScr, "x /sm", ModeSaver, 0, true, false, false},
    {kScr, "x /SM", ModeSaver, 0, true, false, false},
    {kScr, "x /s m", ModeSaver, 0, false, false, false},
    {kScr, "\"C:\\Program Files\\x.scr\" /s", ModeSaver, 0, false, false, false},
    {kScr, "\"C:\\Program Files\\x.scr\"    /s", ModeSaver, 0, false, false, false},
    // Configuration with a parent, or the foreground window.
    {kScr, "x /c:1234", ModeConfig, 1234, false, false, false},
    {kScr, "x /c 1234", ModeConfig, 1234, false, false, false},
    {kScr, "x /C: :: 77", ModeConfig, 77, false, false, false},
    {kScr, "x /c", ModeConfig, 0, false, true, false},
    {kScr, "x /c:", ModeConfig, 0, false, true, false},
    {kScr, "x /c:abc", ModeConfig, 0, false, false, false},
    // Preview into a window, or into the external preview tool.
    {kScr, "x /p 1234", ModePreview, 1234, false, false, false},
    {kScr, "x /p:1234", ModePreview, 1234, false, false, false},
    {kScr, "x /l 1234", ModePreview, 1234, false, false, false},
    {kScr, "x /L 99xyz", ModePreview, 99, false, false, false},
    {kScr, "x /p scrprev", ModePreview, 0, false, false, true},
    {kScr, "x /P SCRPREV", ModePreview, 0, false, false, true},
    {kScr, "x /p scrprev2", ModePreview, 0, false, false, false},
    // Password change, uninstall, and anything else.
    {kScr, "x /a 1234", ModeChangePassword, 1234, false, false, false},
    {kScr, "x /a:56", ModeChangePassword, 56, false, false, false},
    {kScr, "x /u", ModeUninstall, 0, false, false, false},
    {kExe, "x /u", ModeUninstall, 0, false, false, false},
    {kScr, "x /x", ModeNone, 0, false, false, false},
    {kScr, "x /", ModeNone, 0, false, false, false},
    {kScr, "x -", ModeNone, 0, false, false, false},
    // A tab is no separator: after a quoted name it is the switch letter;
    // after a plain name it belongs to the name.
    {kScr, "\"x.scr\"\t/s", ModeNone, 0, false, false, false},
    {kScr, "x.scr\t/s", ModeConfig, 0, false, false, false},
    {kExe, "x.exe\t/s", ModeInstall, 0, false, false, false},
    // An unclosed quote swallows the whole line.
    {kScr, "\"x.scr /s", ModeConfig, 0, false, false, false},
};

} // namespace

TEST(ReadCommandLine, ReadsEveryFormTheDisplaySettingsAndUsersWrite) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.modulePath) + " | " + c.commandLine);
        StartRequest request = ReadCommandLine(c.modulePath, c.commandLine);
        EXPECT_EQ(c.mode, request.mode);
        EXPECT_EQ(c.window, (INT_PTR)request.window);
        EXPECT_EQ(c.simulateMonitors, request.simulateMonitors);
        EXPECT_EQ(c.parentIsForeground, request.parentIsForeground);
        EXPECT_EQ(c.launchPreviewTool, request.launchPreviewTool);
    }
}

TEST(ReadCommandLine, AHugeHandleClampsInsteadOfOverflowing) {
    StartRequest request = ReadCommandLine(kScr, "x /p 99999999999999999999");
    EXPECT_EQ(ModePreview, request.mode);
    EXPECT_EQ((INT_PTR)0x7fffffff, (INT_PTR)request.window);
}
