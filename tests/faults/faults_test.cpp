// Faults from outside the program: command lines nobody meant, registry keys
// the saver may not read, values of the wrong type or size. The command line
// reader is run in-process over thousands of fuzzed lines; a sample of them
// also starts the real saver, which must end with exit code 0 whatever it
// was asked, and the real saver must come up on locked or malformed keys.
#include <windows.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/saver_host.h"
#include "host/settings.h"
#include "host/system_settings.h"
#include "tests/e2e/e2e.h"
#include "tests/robot/robot.h"

namespace {

unsigned seed = 20261208;
int processRuns = 12; // more in tools/soak

// ---- Fuzzed command lines ------------------------------------------------

// A command line grown from the forms the system and users write, then
// mutated: switch letters of every kind, separators, numbers of any size
// and sign, the preview tool's word, quoted and unquoted program names,
// tabs, and random bytes.
std::string FuzzedLine(std::mt19937& random, bool* programQuoted) {
    auto pick = [&](size_t n) { return (size_t)(random() % n); };
    static const char* const programs[] = {
        "\"C:\\Program Files\\Hanging Mobile\\HangingMobile.scr\"", "C:\\HangingMobile.scr",
        "HangingMobile.scr", "\"HangingMobile.scr\"", "\"C:\\a b\\x.scr"};
    static const char* const switches[] = {"s", "S", "sm", "SM", "sM", "save", "p", "P", "l", "L",
                                           "c", "C", "a",  "A",  "x",  "",     "/", "-", "u", "\t"};
    static const char* const separators[] = {"", " ", ":", " : ", "::", "\t", "  "};
    static const char* const tails[] = {"",
                                        "0",
                                        "1234",
                                        "4294967295",
                                        "18446744073709551616",
                                        "-1",
                                        "+7",
                                        "99999999999999999999999",
                                        "scrprev",
                                        "SCRPREV",
                                        "scrprev2",
                                        "12ab",
                                        "0x10",
                                        " ",
                                        "m"};
    size_t program = pick(sizeof programs / sizeof *programs);
    *programQuoted = programs[program][0] == '"';
    std::string line = programs[program];
    if (pick(8) == 0)
        return line; // no arguments at all
    line += pick(6) == 0 ? "\t" : " ";
    static const char* const leads[] = {"/", "-", "", "//", "/-"};
    line += leads[pick(5)];
    line += switches[pick(sizeof switches / sizeof *switches)];
    line += separators[pick(sizeof separators / sizeof *separators)];
    line += tails[pick(sizeof tails / sizeof *tails)];
    // Mutations: flip, insert or cut a few bytes (never a zero byte, which
    // no command line can hold).
    int mutations = (int)pick(4);
    for (int i = 0; i < mutations && !line.empty(); i++) {
        size_t at = pick(line.size());
        char byte = (char)(1 + pick(255));
        switch (pick(3)) {
        case 0:
            line[at] = byte;
            break;
        case 1:
            line.insert(line.begin() + (long)at, byte);
            break;
        default:
            line.erase(at, 1 + pick(3));
            break;
        }
    }
    if (pick(50) == 0)
        line += std::string(1 + pick(5000), "0123456789 sp/"[pick(14)]);
    return line;
}

TEST(FuzzedCommandLines, EveryReadingIsAConsistentRequest) {
    std::mt19937 random(seed);
    int modes[7] = {};
    for (int i = 0; i < 10000; i++) {
        bool quoted = false;
        std::string line = FuzzedLine(random, &quoted);
        bool exePath = i % 7 == 0;
        const char* module = exePath ? "C:\\dir.exe\\HangingMobile.scr" : "C:\\HangingMobile.scr";
        // A copy with nothing after it, so that a read past the end would
        // meet the page guard of a fresh allocation sooner.
        char* copy = (char*)malloc(line.size() + 1);
        memcpy(copy, line.c_str(), line.size() + 1);
        StartRequest request = ReadCommandLine(module, copy);
        free(copy);
        SCOPED_TRACE("line " + std::to_string(i) + ": [" + line + "]");
        ASSERT_GE((int)request.mode, (int)ModeNone);
        ASSERT_LE((int)request.mode, (int)ModeUninstall);
        modes[request.mode]++;
        // Each extra belongs to one mode only.
        if (request.simulateMonitors) {
            ASSERT_EQ(ModeSaver, request.mode);
        }
        if (request.launchPreviewTool) {
            ASSERT_EQ(ModePreview, request.mode);
        }
        if (request.parentIsForeground) {
            ASSERT_EQ(ModeConfig, request.mode);
        }
        if (request.window) {
            ASSERT_TRUE(request.mode == ModeConfig || request.mode == ModePreview ||
                        request.mode == ModeChangePassword);
        }
        if (request.mode == ModeInstall) {
            ASSERT_TRUE(exePath) << "install only under an .exe path";
        }
    }
    // The generator reaches every mode, so the checks above saw each.
    for (int mode = 0; mode <= ModeUninstall; mode++)
        EXPECT_GT(modes[mode], 20) << "mode " << mode;
}

struct VisibleWindowFinder {
    DWORD id;
    std::vector<HWND> windows;
};

// A plain function: on i686 only a __stdcall function is a WNDENUMPROC.
BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM data) {
    VisibleWindowFinder* finder = (VisibleWindowFinder*)data;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == finder->id && IsWindowVisible(window))
        finder->windows.push_back(window);
    return TRUE;
}

// Closes whatever the saver opened: mouse travel for its saver windows, a
// close request for anything else (the configuration sheet, a message box).
void CloseWhatItShows(const robot::Process& process, int round) {
    if (!robot::TopLevelWindows(process.id, kSaverClassName).empty()) {
        robot::MoveCursor(round % 2 ? 900 : 100, round % 2 ? 700 : 100);
        robot::PressKey(VK_SPACE);
        return;
    }
    VisibleWindowFinder finder = {process.id, {}};
    EnumWindows(CollectVisibleWindow, (LPARAM)&finder);
    for (HWND window : finder.windows)
        PostMessageA(window, WM_CLOSE, 0, 0);
}

TEST(FuzzedCommandLines, TheRealSaverEndsWithZeroOnASample) {
    std::mt19937 random(seed ^ 0x5A5A5A5Au);
    robot::MoveCursor(e2e::kHome.x, e2e::kHome.y);
    int run = 0;
    while (run < processRuns) {
        bool quoted = false;
        std::string line = FuzzedLine(random, &quoted);
        // The program name part is replaced by the real path, keeping the
        // fuzzed arguments and the quoting style.
        size_t end = quoted ? line.find('"', 1) : line.find(' ');
        std::string arguments = end == std::string::npos ? "" : line.substr(end + (quoted ? 1 : 0));
        std::string path = robot::SaverPath();
        std::string commandLine = quoted ? "\"" + path + "\"" + arguments : path + arguments;
        // Uninstall would change the machine for the other tests; it has
        // its own tests.
        if (ReadCommandLine(path.c_str(), commandLine.c_str()).mode == ModeUninstall)
            continue;
        SCOPED_TRACE("run " + std::to_string(run) + ": [" + commandLine + "]");
        robot::Process saver = {};
        ASSERT_TRUE(robot::StartProgram(saver, path, commandLine));
        DWORD code = 0xBAD;
        bool ended = false;
        for (int round = 0; round < 60 && !ended; round++) {
            ended = robot::WaitForExit(saver, &code, 500);
            if (!ended)
                CloseWhatItShows(saver, round);
        }
        robot::Stop(saver);
        EXPECT_TRUE(ended) << "still running after 30 s";
        if (ended) {
            EXPECT_EQ(0u, code);
        }
        robot::MoveCursor(e2e::kHome.x, e2e::kHome.y);
        run++;
    }
}

// ---- Registry faults -----------------------------------------------------

// Replaces a key's access list: Everyone may only change it back and delete
// it, so opening it for reading or writing is denied.
bool LockKey(const char* path) {
    PSECURITY_DESCRIPTOR locked = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;0x00050000;;;WD)",
                                                              SDDL_REVISION_1, &locked, nullptr))
        return false;
    HKEY key;
    bool done = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, WRITE_DAC, nullptr, &key,
                                nullptr) == ERROR_SUCCESS;
    if (done) {
        done = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, locked) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    LocalFree(locked);
    return done;
}

void UnlockKey(const char* path) {
    PSECURITY_DESCRIPTOR open = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1, &open,
                                                         nullptr);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, open);
        RegCloseKey(key);
    }
    LocalFree(open);
}

struct RegistryFaults : e2e::SaverTest {
    void SetUp() override {
        e2e::SaverTest::SetUp();
        strcpy(host.saverName, "Hanging Mobile");
    }
    void TearDown() override {
        UnlockKey(e2e::kSettingsKey);
        UnlockKey(e2e::kSystemKey);
        e2e::SaverTest::TearDown();
    }

    // The real saver comes up full screen, shows the mobile, and ends with
    // exit code 0 when the mouse travels.
    void SaverRunsAndEnds() {
        StartSaver("/s");
        EXPECT_TRUE(e2e::WaitForMobile(e2e::Rect(0, 0, e2e::kScreenWidth, e2e::kScreenHeight)));
        robot::PressKey(VK_LEFT); // its store fails or succeeds; either way no crash
        robot::Pause(200);
        robot::MoveCursor(e2e::kHome.x + 300, e2e::kHome.y + 300);
        ExpectEndsWithZero("mouse travel");
    }
};

TEST_F(RegistryFaults, UnreadableKeysGiveTheDefaultsAndTheSaverStillRuns) {
    robot::WriteDword(HKEY_CURRENT_USER, e2e::kSettingsKey, "latitude", 70);
    robot::WriteDword(HKEY_CURRENT_USER, e2e::kSettingsKey, "ChangeScreenMode", 1);
    robot::WriteDword(HKEY_CURRENT_USER, e2e::kSystemKey, "Password Delay", 99);
    robot::WriteDword(HKEY_CURRENT_USER, e2e::kSystemKey, "Mouse Threshold", 400);
    ASSERT_TRUE(LockKey(e2e::kSettingsKey));
    ASSERT_TRUE(LockKey(e2e::kSystemKey));
    ASSERT_FALSE(robot::KeyExists(HKEY_CURRENT_USER, e2e::kSettingsKey))
        << "the registry did not deny reading";
    ASSERT_FALSE(robot::KeyExists(HKEY_CURRENT_USER, e2e::kSystemKey));

    EXPECT_EQ(20, GetSettingInt("latitude", 20));
    EXPECT_FALSE(GetSettingBool("ChangeScreenMode", false));
    SetSettingInt("longitude", 5); // denied: ignored
    LoadSystemSaverSettings();
    EXPECT_EQ(15u, host.settings.passwordDelay);
    EXPECT_EQ(50u, host.settings.mouseThreshold);
    EXPECT_EQ(0, host.settings.mouseCorners[0]);

    SaverRunsAndEnds();
    UnlockKey(e2e::kSettingsKey);
    EXPECT_EQ(70, GetSettingInt("latitude", 20)) << "the stored value survived";
    EXPECT_EQ(-1, e2e::StoredSetting("longitude", -1));
}

TEST_F(RegistryFaults, ValuesOfTheWrongTypeOrSizeDoNotStopTheSaver) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, e2e::kSettingsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    std::string longText(300, 'x');
    RegSetValueExA(key, "latitude", 0, REG_SZ, (const BYTE*)longText.c_str(),
                   (DWORD)longText.size() + 1);
    const BYTE two[2] = {0x5A, 0x00};
    RegSetValueExA(key, "longitude", 0, REG_BINARY, two, 2);
    const BYTE eight[8] = {1, 0, 0, 0, 1, 0, 0, 0};
    RegSetValueExA(key, "ChangeScreenMode", 0, REG_QWORD, eight, 8);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, e2e::kSystemKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "Mouse Threshold", 0, REG_SZ, (const BYTE*)longText.c_str(),
                   (DWORD)longText.size() + 1);
    RegSetValueExA(key, "Password Delay", 0, REG_BINARY, eight, 8);
    RegCloseKey(key);

    // Too long for four bytes: the defaults; two bytes fit and are read.
    EXPECT_EQ(20, GetSettingInt("latitude", 20));
    EXPECT_EQ(0x5A, GetSettingInt("longitude", 0));
    EXPECT_FALSE(GetSettingBool("ChangeScreenMode", false));
    LoadSystemSaverSettings();
    EXPECT_EQ(50u, host.settings.mouseThreshold);
    EXPECT_EQ(15u, host.settings.passwordDelay);

    SaverRunsAndEnds();
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; i++) {
        if (!strncmp(argv[i], "--seed=", 7))
            seed = (unsigned)strtoul(argv[i] + 7, nullptr, 10);
        else if (!strncmp(argv[i], "--runs=", 7))
            processRuns = atoi(argv[i] + 7);
    }
    printf("seed %u, %d saver runs\n", seed, processRuns);
    return RUN_ALL_TESTS();
}
