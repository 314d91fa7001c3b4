// The system-wide saver values against Wine's real registry, and the optional
// components (hot-corner agent, PASSWORD.CPL, MPR.DLL) through our own
// recording stand-ins copied beside the program under their real names.
//
// What Wine decides at process start (the reported Windows version, which
// MPR.DLL to load) is set per program file name under
// HKCU\Software\Wine\AppDefaults\<file name>, so those cases copy this
// program under another name, set that name's values and run the copy with
// --child; the copy calls the function and reports through its exit code.
#include <windows.h>
#include <sddl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "host/saver_host.h"
#include "host/system_settings.h"
#include "tests/robot/robot.h"

namespace {

const char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char kTrace[] = HM_TRACE_DESTINATION;
const char kDoublesLog[] = "system_settings_test.doubles.log";
// Any recognisable value: the function only hands the owner window on.
const HWND kWindow = (HWND)(ULONG_PTR)0x2A0B4;

// The real names the saver asks for; a case copies a stand-in to one of them.
const char* const kRealNames[] = {"PASSWORD.CPL", "MPR.DLL", "sage.dll", "scrhots.dll"};

std::string Directory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, length);
    return text.substr(0, text.rfind('\\') + 1);
}

std::string DoublePath(const char* name) {
    return Directory() + HM_DOUBLES_RELATIVE "/" + name + ".dll";
}

// Puts stand-in `name` beside the program as `as` (and so beside every copy).
void Place(const char* name, const char* as) {
    std::string to = Directory() + as;
    ASSERT_TRUE(CopyFileA(DoublePath(name).c_str(), to.c_str(), FALSE))
        << DoublePath(name) << " -> " << to << ": " << GetLastError();
}

void RemoveStandIns() {
    for (const char* name : kRealNames)
        DeleteFileA((Directory() + name).c_str());
}

// What the stand-ins recorded since the last call.
std::vector<std::string> TakeRecord() {
    std::vector<std::string> lines = robot::ReadLines(kDoublesLog);
    DeleteFileA(kDoublesLog);
    return lines;
}

// What the saver code traced since the last call.
std::vector<std::string> TakeTrace() {
    std::vector<std::string> lines = robot::ReadLines(kTrace);
    DeleteFileA(kTrace);
    return lines;
}

using LineList = std::vector<std::string>;

// Writes one value, creating the key (the test program's own headers predate
// RegSetKeyValueA).
LONG WriteValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(key);
    return status;
}

// Removes a key and its one level of subkeys (all the keys used here have).
void DeleteKey(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        char name[256];
        std::vector<std::string> subkeys;
        for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i)
            subkeys.push_back(path + "\\" + name);
        RegCloseKey(key);
        for (const std::string& subkey : subkeys)
            RegDeleteKeyA(HKEY_CURRENT_USER, subkey.c_str());
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

void SetDword(const char* name, DWORD value) {
    ASSERT_EQ(ERROR_SUCCESS, WriteValue(kKey, name, REG_DWORD, &value, 4));
}

void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS, WriteValue(kKey, name, type, data, size));
}

struct StoredValue {
    LONG status;
    DWORD type;
    DWORD size;
    BYTE data[64];
};

StoredValue Stored(const char* name) {
    StoredValue v = {};
    v.size = sizeof v.data;
    v.status = RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, &v.type,
                            v.data, &v.size);
    return v;
}

DWORD StoredDword(const char* name) {
    StoredValue v = Stored(name);
    EXPECT_EQ(ERROR_SUCCESS, v.status) << name;
    EXPECT_EQ((DWORD)REG_DWORD, v.type) << name;
    EXPECT_EQ(4u, v.size) << name;
    DWORD value;
    memcpy(&value, v.data, 4);
    return value;
}

// Loads from a fresh record, as at the start of a process.
SystemSaverSettings Load() {
    host.settings = SystemSaverSettings{};
    host.dismissalSuspended = true;
    LoadSystemSaverSettings();
    EXPECT_FALSE(host.dismissalSuspended);
    return host.settings;
}

std::string Corners(const SystemSaverSettings& s) {
    return std::string(s.mouseCorners, 4);
}

struct SystemSettingsTest : testing::Test {
    void SetUp() override {
        DeleteKey(kKey);
        RemoveStandIns();
        SetEnvironmentVariableA("HM_DOUBLES_LOG", kDoublesLog);
        SetEnvironmentVariableA("HM_DOUBLES_AGENT_DETECT", nullptr);
        SetEnvironmentVariableA("HM_DOUBLES_PASSWORD_ANSWER", nullptr);
        TakeRecord();
        TakeTrace();
    }
    void TearDown() override {
        DeleteKey(kKey);
        RemoveStandIns();
        DeleteFileA(kDoublesLog);
        DeleteFileA(kTrace);
    }
};

// ---- Loading and saving ---------------------------------------------------

TEST_F(SystemSettingsTest, WithoutTheKeyDefaultsStandAndTheAgentIsNotAsked) {
    Place("hm_double_agent", "sage.dll");
    SetEnvironmentVariableA("HM_DOUBLES_AGENT_DETECT", "77");
    SystemSaverSettings s = Load();
    EXPECT_EQ(15u, s.passwordDelay);
    EXPECT_EQ(0u, s.passwordDelayIndex);
    EXPECT_EQ(50u, s.mouseThreshold);
    EXPECT_EQ(0u, s.mouseThresholdIndex);
    EXPECT_EQ(0u, s.muteSound);
    EXPECT_EQ(std::string(5, '\0'), std::string(s.mouseCorners, 5));
    EXPECT_EQ(0, s.hotCornerService);
    EXPECT_EQ(LineList(), TakeRecord());
    // Loading never creates the key.
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key));
}

TEST_F(SystemSettingsTest, StoredValuesReplaceTheDefaultsAndTheAgentIsDetected) {
    SetDword("Password Delay", 300);
    SetDword("Password Delay Index", 1);
    SetDword("Mouse Threshold", 999999);
    SetDword("Mouse Threshold Index", 3);
    SetDword("Mute Sound", 1);
    SetRaw("Mouse Corners", REG_SZ, "NY-Y", 5);
    Place("hm_double_agent", "sage.dll");
    SetEnvironmentVariableA("HM_DOUBLES_AGENT_DETECT", "-5");
    SystemSaverSettings s = Load();
    EXPECT_EQ(300u, s.passwordDelay);
    EXPECT_EQ(1u, s.passwordDelayIndex);
    EXPECT_EQ(999999u, s.mouseThreshold);
    EXPECT_EQ(3u, s.mouseThresholdIndex);
    EXPECT_EQ(1u, s.muteSound);
    EXPECT_STREQ("NY-Y", s.mouseCorners);
    EXPECT_EQ(-5, s.hotCornerService);
    // Asked once, and freed straight after.
    EXPECT_EQ(LineList({"sage.dll attach", "System_Agent_Detect -> -5", "sage.dll detach"}),
              TakeRecord());
    EXPECT_EQ(nullptr, GetModuleHandleA("sage.dll"));
}

TEST_F(SystemSettingsTest, TheAgentIsFoundUnderItsOtherNameOrNotAtAll) {
    SetDword("Mouse Threshold", 200);
    Place("hm_double_agent", "scrhots.dll");
    SetEnvironmentVariableA("HM_DOUBLES_AGENT_DETECT", "3");
    EXPECT_EQ(3, Load().hotCornerService);
    EXPECT_EQ(LineList({"scrhots.dll attach", "System_Agent_Detect -> 3", "scrhots.dll detach"}),
              TakeRecord());

    // sage.dll comes first; one without the function counts as no agent.
    Place("hm_double_bare", "sage.dll");
    EXPECT_EQ(0, Load().hotCornerService);
    EXPECT_EQ(LineList({"sage.dll attach", "sage.dll detach"}), TakeRecord());

    RemoveStandIns();
    host.settings = SystemSaverSettings{};
    host.settings.hotCornerService = 9;
    LoadSystemSaverSettings();
    EXPECT_EQ(0, host.settings.hotCornerService);
    EXPECT_EQ(200u, host.settings.mouseThreshold);
}

TEST_F(SystemSettingsTest, CornersAreFourOfYNOrDash) {
    struct Case {
        DWORD type;
        std::string stored; // terminator included where the value has one
        const char* loaded;
    } cases[] = {
        {REG_SZ, std::string("YNxY\0", 5), "YN-Y"},
        {REG_SZ, std::string("Y\0", 2), "Y---"},
        {REG_SZ, std::string("", 1), "----"},
        {REG_SZ, std::string("ynYN\0", 5), "--YN"},
        {REG_BINARY, std::string("NNNN"), "NNNN"},
        // Too long for the buffer: nothing of it is trusted.
        {REG_SZ, std::string("YNYNY\0", 6), "----"},
        {REG_SZ, std::string("YYYYYYYYYYYYYYYYYYYY\0", 21), "----"},
    };
    for (const Case& c : cases) {
        SetRaw("Mouse Corners", c.type, c.stored.data(), (DWORD)c.stored.size());
        SystemSaverSettings s = Load();
        EXPECT_EQ(std::string(c.loaded), Corners(s)) << "stored: " << c.stored.c_str();
        EXPECT_EQ(0, s.mouseCorners[4]);
    }
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key));
    RegDeleteValueA(key, "Mouse Corners");
    RegCloseKey(key);
    EXPECT_EQ("----", Corners(Load()));
}

TEST_F(SystemSettingsTest, NumbersOfTheWrongSizeOrTypeAreReadByTheirBytes) {
    SetRaw("Password Delay", REG_SZ, "12345678", 9); // too long: the default stays
    unsigned char two[2] = {0x2C, 0x01};
    SetRaw("Mouse Threshold", REG_BINARY, two, 2); // short: high bytes zero
    DWORD sixty = 60;
    SetRaw("Mouse Threshold Index", REG_BINARY, &sixty, 4); // type not looked at
    SystemSaverSettings s = Load();
    EXPECT_EQ(15u, s.passwordDelay);
    EXPECT_EQ(300u, s.mouseThreshold);
    EXPECT_EQ(60u, s.mouseThresholdIndex);
}

TEST_F(SystemSettingsTest, SavingWritesFourByteDwordsAndFiveCornerBytesThenTellsTheAgent) {
    SetDword("Mute Sound", 7);
    SetRaw("Mouse Corners", REG_SZ, "Y\0", 2);
    Place("hm_double_agent", "sage.dll");
    Load();
    TakeRecord();
    host.settings.passwordDelay = 600;
    host.settings.passwordDelayIndex = 1;
    host.settings.mouseThreshold = 400;
    host.settings.mouseThresholdIndex = 2;
    SaveSystemSaverSettings();
    EXPECT_EQ(LineList({"sage.dll attach", "Screen_Saver_Changed", "sage.dll detach"}),
              TakeRecord());

    EXPECT_EQ(600u, StoredDword("Password Delay"));
    EXPECT_EQ(1u, StoredDword("Password Delay Index"));
    EXPECT_EQ(400u, StoredDword("Mouse Threshold"));
    EXPECT_EQ(2u, StoredDword("Mouse Threshold Index"));
    EXPECT_EQ(1u, StoredDword("Mute Sound"));
    StoredValue corners = Stored("Mouse Corners");
    ASSERT_EQ(ERROR_SUCCESS, corners.status);
    EXPECT_EQ((DWORD)REG_SZ, corners.type);
    EXPECT_EQ(std::string("Y---\0", 5), std::string((char*)corners.data, corners.size));

    host.settings.muteSound = 0;
    SaveSystemSaverSettings();
    EXPECT_EQ(0u, StoredDword("Mute Sound"));
}

TEST_F(SystemSettingsTest, SavingCreatesTheKeyAndNeedsNoAgent) {
    Load(); // no key: all-zero corners
    host.settings.mouseThreshold = 0;
    SaveSystemSaverSettings();
    EXPECT_EQ(15u, StoredDword("Password Delay"));
    EXPECT_EQ(0u, StoredDword("Mouse Threshold"));
    StoredValue corners = Stored("Mouse Corners");
    EXPECT_EQ((DWORD)REG_SZ, corners.type);
    EXPECT_EQ(5u, corners.size);
    EXPECT_EQ(LineList(), TakeRecord());
    // What was saved loads back as it was.
    EXPECT_EQ(0u, Load().mouseThreshold);
    EXPECT_EQ("----", Corners(host.settings));
}

TEST_F(SystemSettingsTest, AKeyThatCannotBeOpenedForWritingIsLeftAloneAndTheAgentNotTold) {
    SetDword("Password Delay", 30);
    // Everyone may read, change the permissions back and delete, nothing else.
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;;0x000D0019;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, WRITE_DAC, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly));
    RegCloseKey(key);
    LocalFree(readOnly);

    Place("hm_double_agent", "sage.dll");
    EXPECT_EQ(30u, Load().passwordDelay);
    TakeRecord();
    host.settings.passwordDelay = 45;
    SaveSystemSaverSettings();
    EXPECT_EQ(LineList(), TakeRecord());
    EXPECT_EQ(30u, StoredDword("Password Delay"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Stored("Mouse Threshold").status);
}

// ---- Passwords -----------------------------------------------------------

// Runs a copy of this program under `name` with Wine told, for that name
// only, to report `version` (empty: Wine's default) and to take MPR.DLL from
// beside the program or nowhere. Returns the copy's exit code.
DWORD RunChild(const char* name, const char* version, const char* command) {
    std::string appKey = std::string("Software\\Wine\\AppDefaults\\") + name;
    DeleteKey(appKey);
    if (version[0])
        WriteValue(appKey.c_str(), "Version", REG_SZ, version, (DWORD)strlen(version) + 1);
    // Wine's own MPR.DLL exports PwdChangePasswordA too and is preferred over
    // one beside the program; "native" makes Wine load only ours, and fail
    // when there is none, as a system without the component would.
    WriteValue((appKey + "\\DllOverrides").c_str(), "mpr", REG_SZ, "native", 7);

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string copy = Directory() + name;
    EXPECT_TRUE(CopyFileA(self, copy.c_str(), FALSE)) << GetLastError();
    std::string line = "\"" + copy + "\" --child " + command + " " +
                       std::to_string((unsigned long long)(ULONG_PTR)kWindow);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD code = 0xDEAD;
    if (CreateProcessA(copy.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    } else {
        ADD_FAILURE() << "cannot start " << copy << ": " << GetLastError();
    }
    DeleteFileA(copy.c_str());
    DeleteKey(appKey);
    return code;
}

const char kWin98[] = "sst_win98.exe";

// Exit codes of a --child verify run.
const DWORD kAccepted = 11, kRefused = 10;

TEST_F(SystemSettingsTest, WineReportsWindows98ToTheCopySetUpForIt) {
    EXPECT_EQ((DWORD)VER_PLATFORM_WIN32_WINDOWS, RunChild(kWin98, "win98", "platform"));
    EXPECT_EQ((DWORD)VER_PLATFORM_WIN32_NT, RunChild("sst_default.exe", "", "platform"));
}

TEST_F(SystemSettingsTest, OnTheNtFamilyTheSaverMayCloseWithoutAskingAnything) {
    Place("hm_double_password", "PASSWORD.CPL");
    SetEnvironmentVariableA("HM_DOUBLES_PASSWORD_ANSWER", "0");
    EXPECT_TRUE(VerifySaverPassword(kWindow));
    EXPECT_EQ(LineList(), TakeRecord());
    EXPECT_EQ(LineList(), TakeTrace());
}

TEST_F(SystemSettingsTest, On98WithoutPasswordCplTheSaverMayClose) {
    EXPECT_EQ(kAccepted, RunChild(kWin98, "win98", "verify"));
    EXPECT_EQ(LineList({"Unable to load PASSWORD.CPL. Aborting"}), TakeTrace());
}

TEST_F(SystemSettingsTest, On98PasswordCplDecidesWithTheSaverWindowAsOwner) {
    std::string owner = std::to_string((unsigned long long)(ULONG_PTR)kWindow);
    Place("hm_double_password", "PASSWORD.CPL");
    SetEnvironmentVariableA("HM_DOUBLES_PASSWORD_ANSWER", "0");
    EXPECT_EQ(kRefused, RunChild(kWin98, "win98", "verify"));
    EXPECT_EQ(LineList({"PASSWORD.CPL attach", "VerifyScreenSavePwd " + owner + " -> 0",
                        "PASSWORD.CPL detach"}),
              TakeRecord());
    EXPECT_EQ(LineList({"About to call VerifyPwProc"}), TakeTrace());

    SetEnvironmentVariableA("HM_DOUBLES_PASSWORD_ANSWER", "-1"); // any non-zero BOOL
    EXPECT_EQ(kAccepted, RunChild(kWin98, "win98", "verify"));
    EXPECT_EQ(LineList({"PASSWORD.CPL attach", "VerifyScreenSavePwd " + owner + " -> -1",
                        "PASSWORD.CPL detach"}),
              TakeRecord());
}

TEST_F(SystemSettingsTest, On98APasswordCplWithoutTheFunctionLetsTheSaverClose) {
    Place("hm_double_bare", "PASSWORD.CPL");
    EXPECT_EQ(kAccepted, RunChild(kWin98, "win98", "verify"));
    EXPECT_EQ(LineList({"Unable to get VerifyPwProc address. Aborting"}), TakeTrace());
    EXPECT_EQ(LineList({"PASSWORD.CPL attach", "PASSWORD.CPL detach"}), TakeRecord());
}

TEST_F(SystemSettingsTest, ChangingThePasswordHandsTheOwnerToMpr) {
    std::string owner = std::to_string((unsigned long long)(ULONG_PTR)kWindow);
    Place("hm_double_mpr", "MPR.DLL");
    // No version test: the NT family Wine reports by default changes too.
    EXPECT_EQ(0u, RunChild("sst_change.exe", "", "change"));
    EXPECT_EQ(LineList({"MPR.DLL attach", "PwdChangePasswordA SCRSAVE " + owner + " 0 0",
                        "MPR.DLL detach"}),
              TakeRecord());
    EXPECT_EQ(LineList(), TakeTrace());
}

TEST_F(SystemSettingsTest, ChangingThePasswordWithoutMprOrItsFunctionOnlyTraces) {
    EXPECT_EQ(0u, RunChild("sst_change.exe", "", "change"));
    EXPECT_EQ(LineList({"MPR.DLL not found: cannot change password."}), TakeTrace());

    Place("hm_double_bare", "MPR.DLL");
    EXPECT_EQ(0u, RunChild("sst_change.exe", "", "change"));
    EXPECT_EQ(LineList({"PwdChangeProc not found: cannot change password"}), TakeTrace());
    EXPECT_EQ(LineList({"MPR.DLL attach", "MPR.DLL detach"}), TakeRecord());
}

// The copy's side: one call, reported through the exit code.
int ChildMain(int argc, char** argv) {
    if (argc < 4)
        return 100;
    const char* command = argv[2];
    HWND window = (HWND)(ULONG_PTR)strtoull(argv[3], nullptr, 10);
    if (strcmp(command, "platform") == 0)
        return (int)WindowsPlatform();
    if (strcmp(command, "verify") == 0)
        return VerifySaverPassword(window) ? (int)kAccepted : (int)kRefused;
    if (strcmp(command, "change") == 0) {
        ChangeSaverPassword(window);
        return 0;
    }
    return 101;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "--child") == 0)
        return ChildMain(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
