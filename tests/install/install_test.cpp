// Self install and uninstall, end to end: the real saver started under an
// installer's name (installer\HangingMobile.exe) or from its installed
// place with /u, its message boxes answered by the robot, and the Windows
// folder, the machine's uninstall list and the pending renames read back.
//
// After the copy the installer hands the installed file to the shell's
// "install" verb. This Wine's shell starts any Windows program it is given
// before it looks for the verb, so here the installed copy always starts
// (without arguments: its configuration sheet) and the installer's own
// "The saver has been installed" message cannot be reached.
#include "tests/install/install_test.h"

#include <psapi.h>

namespace {

using namespace install;

const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Hanging Mobile";
const char kSessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPendingRenames[] = "PendingFileRenameOperations";
const char kInstallCaption[] = "Saver Install";
const char kQuestion[] = "Do you want to install 'Hanging Mobile' ?";
const char kReplacementNote[] = "\r\n\r\n(This will replace the version that you have currently)";

std::string Installed() {
    return WindowsFolder() + "\\Hanging Mobile.scr";
}

std::string Installer() {
    return robot::OwnFolder() + "installer\\HangingMobile.exe";
}

// Temporary files the writability probe may have left in the Windows folder.
size_t ProbeFiles() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((WindowsFolder() + "\\pst*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    size_t count = 0;
    do
        count++;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// The uninstall entry as the installer must write it for `file`.
std::vector<Value> ExpectedEntry(const std::string& file, bool withHelpLink) {
    std::vector<Value> values = {
        Text("DisplayName", "Hanging Mobile saver"),
        Text("UninstallString", "\"" + file + "\" /u"),
        Text("UninstallPath", "\"" + file + "\" /u"),
        Text("ModifyPath", "\"" + file + "\""),
        Text("DisplayIcon", file),
    };
    if (withHelpLink)
        values.push_back(Text("HelpLink", "https://hanging-mobile.example/"));
    std::sort(values.begin(), values.end(),
              [](const Value& a, const Value& b) { return a.name < b.name; });
    return values;
}

// The path of the program a process runs, or "".
std::string ImageOf(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return "";
    char path[MAX_PATH] = "";
    GetModuleFileNameExA(process, nullptr, path, sizeof path);
    CloseHandle(process);
    return path;
}

// Every test starts with nothing installed; the pending renames are put
// back as they were.
struct InstallTest : testing::Test {
    robot::Process saver = {};
    robot::Process started = {}; // the installed copy the shell started
    bool hadPending = false;
    Value pending;
    size_t probeFilesBefore = 0;

    void SetUp() override {
        RemoveInstallation();
        hadPending = ReadValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenames, &pending);
        probeFilesBefore = ProbeFiles();
    }

    void TearDown() override {
        robot::Stop(saver);
        robot::Stop(started);
        RemoveInstallation();
        Restore(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenames, hadPending, pending);
    }

    static void RemoveInstallation() {
        SetFileAttributesA(Installed().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(Installed().c_str());
        robot::DeleteKey(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    // Starts the program with no arguments, as a user starts an installer,
    // and returns its first message box.
    Box StartInstaller(const std::string& program = Installer()) {
        EXPECT_TRUE(robot::StartProgram(saver, program, "\"" + program + "\"")) << program;
        return WaitForMessageBox(saver);
    }

    void ExpectEndsWithZero(const char* why) {
        DWORD code = 0xBAD;
        ASSERT_TRUE(robot::WaitForExit(saver, &code)) << why << ": the program still runs";
        EXPECT_EQ(0u, code) << why;
        robot::Stop(saver);
    }

    // An earlier version in place: other bytes in the installed file and an
    // entry of its own.
    void PlaceEarlierVersion() {
        ASSERT_TRUE(WriteBytes(Installed(), "an earlier version"));
        ASSERT_TRUE(robot::WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName",
                                       "Hanging Mobile (earlier)"));
    }

    void ExpectEarlierVersionUntouched(const char* why) {
        EXPECT_EQ("an earlier version", robot::FileBytes(Installed())) << why;
        EXPECT_EQ(std::vector<Value>({Text("DisplayName", "Hanging Mobile (earlier)")}),
                  Values(HKEY_LOCAL_MACHINE, kUninstallKey))
            << why;
    }

    // After Yes: the shell starts the installed copy, which shows its
    // configuration sheet, and the installer ends without another word.
    void ExpectShellStartsTheInstalledCopy() {
        HWND sheet = nullptr;
        robot::WaitUntil([&] {
            for (HWND window : FindWindows("#32770"))
                if (_stricmp(ImageOf(robot::Describe(window).processId).c_str(),
                             Installed().c_str()) == 0 &&
                    IsWindowVisible(window))
                    sheet = window;
            return sheet != nullptr;
        });
        ASSERT_TRUE(sheet) << "the installed copy did not start";
        DWORD id = robot::Describe(sheet).processId;
        started.handle =
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id);
        started.id = id;
        Box more = WaitForMessageBox(saver);
        if (more.dialog) {
            ADD_FAILURE() << "the installer said more: " << more.text;
            Answer(more, IDOK);
        }
        ExpectEndsWithZero("after the installation");
        robot::Stop(started);
    }

    // Installs with the confirmation answered Yes.
    void InstallAnsweringYes(const std::string& program = Installer()) {
        Box question = StartInstaller(program);
        ASSERT_TRUE(question.dialog) << "no confirmation";
        Answer(question, IDYES);
        ExpectShellStartsTheInstalledCopy();
    }
};

TEST_F(InstallTest, YesCopiesTheProgramAndWritesTheUninstallEntry) {
    Box question = StartInstaller();
    ASSERT_TRUE(question.dialog) << "no confirmation";
    EXPECT_EQ(kInstallCaption, question.caption);
    EXPECT_EQ(kQuestion, question.text);
    EXPECT_EQ(Buttons({IDCANCEL, IDYES, IDNO}), question.buttons);
    // Nothing happens before the answer.
    EXPECT_FALSE(Exists(Installed()));
    EXPECT_FALSE(robot::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    Answer(question, IDYES);
    ExpectShellStartsTheInstalledCopy();

    std::string program = robot::FileBytes(Installer());
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(robot::FileBytes(Installed()) == program)
        << "the installed file is not the program";
    // Each value with its zero counted, and nothing else in the key.
    EXPECT_EQ(ExpectedEntry(Installed(), true), Values(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ("C:\\windows\\Hanging Mobile.scr", Installed());
    EXPECT_EQ(probeFilesBefore, ProbeFiles()) << "the writability probe left its file behind";
}

TEST_F(InstallTest, InstallingOverAnEarlierVersionWarnsAndReplacesIt) {
    PlaceEarlierVersion();
    Box question = StartInstaller();
    ASSERT_TRUE(question.dialog) << "no confirmation";
    EXPECT_EQ(kInstallCaption, question.caption);
    EXPECT_EQ(std::string(kQuestion) + kReplacementNote, question.text);
    EXPECT_EQ(Buttons({IDCANCEL, IDYES, IDNO}), question.buttons);
    Answer(question, IDYES);
    ExpectShellStartsTheInstalledCopy();

    EXPECT_TRUE(robot::FileBytes(Installed()) == robot::FileBytes(Installer()))
        << "the file was not replaced";
    // The existing entry's values are rewritten in place.
    std::vector<Value> values = Values(HKEY_LOCAL_MACHINE, kUninstallKey);
    for (const Value& expected : ExpectedEntry(Installed(), true)) {
        Value found;
        EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, expected.name.c_str(), &found))
            << expected.name;
        EXPECT_EQ(expected, found);
    }
    EXPECT_EQ(6u, values.size());
}

TEST_F(InstallTest, NoAndCancelChangeNothing) {
    for (int answer : {IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer == IDNO ? "No" : "Cancel");
        // Nothing installed yet: nothing appears.
        Box question = StartInstaller();
        ASSERT_TRUE(question.dialog) << "no confirmation";
        EXPECT_EQ(kQuestion, question.text);
        Answer(question, answer);
        ExpectEndsWithZero("after refusing");
        EXPECT_FALSE(Exists(Installed()));
        EXPECT_FALSE(robot::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_EQ(probeFilesBefore, ProbeFiles());

        // An earlier version stays as it was.
        PlaceEarlierVersion();
        question = StartInstaller();
        ASSERT_TRUE(question.dialog) << "no confirmation";
        EXPECT_EQ(std::string(kQuestion) + kReplacementNote, question.text);
        Answer(question, answer);
        ExpectEndsWithZero("after refusing the replacement");
        ExpectEarlierVersionUntouched("after refusing the replacement");
        RemoveInstallation();
    }
}

TEST_F(InstallTest, WithoutTheMakersPageTheOtherFiveValuesAreWritten) {
    std::string program = robot::OwnFolder() + "installer-no-link\\HangingMobile.exe";
    InstallAnsweringYes(program);
    EXPECT_TRUE(robot::FileBytes(Installed()) == robot::FileBytes(program));
    EXPECT_EQ(ExpectedEntry(Installed(), false), Values(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// Uninstall is started as the entry asks: the uninstall string of the
// entry an installation wrote, as the command line of the installed file.
struct UninstallTest : InstallTest {
    Box StartUninstall() {
        std::string command;
        EXPECT_TRUE(
            robot::ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command));
        EXPECT_TRUE(robot::StartProgram(saver, Installed(), command)) << command;
        return WaitForMessageBox(saver);
    }

    // The pending renames as their list of names.
    static std::vector<std::string> PendingRenames() {
        std::vector<std::string> names;
        Value value;
        if (!ReadValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenames, &value) ||
            value.type != REG_MULTI_SZ)
            return names;
        for (size_t at = 0; at < value.bytes.size();) {
            size_t end = value.bytes.find('\0', at);
            if (end == std::string::npos)
                end = value.bytes.size();
            names.push_back(value.bytes.substr(at, end - at));
            at = end + 1;
        }
        return names;
    }
};

TEST_F(UninstallTest, RemovesTheEntryAndSchedulesTheRunningFileForDeletion) {
    InstallAnsweringYes();
    ASSERT_TRUE(robot::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    Box done = StartUninstall();
    ASSERT_TRUE(done.dialog) << "no message from the uninstaller";
    EXPECT_EQ("Hanging Mobile uninstaller", done.caption);
    EXPECT_EQ("Uninstall completed. The saver will be removed next time you reboot.", done.text);
    EXPECT_EQ(Buttons({IDOK}), done.buttons);
    EXPECT_FALSE(robot::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    // A deletion is a rename to nothing: the file's name, then an empty one.
    std::vector<std::string> names = PendingRenames();
    bool scheduled = false;
    for (size_t i = 0; i + 1 < names.size(); i++)
        if (_stricmp(names[i].c_str(), ("\\??\\" + Installed()).c_str()) == 0 &&
            names[i + 1].empty())
            scheduled = true;
    EXPECT_TRUE(scheduled) << "the installed file is not among the pending deletions";
    Answer(done, IDOK);
    ExpectEndsWithZero("after the uninstall");
    // Until the restart the file stays.
    EXPECT_TRUE(Exists(Installed()));
}

TEST_F(UninstallTest, WhenTheDeletionCannotBeScheduledTheEntryGoesAndTheFileIsNamed) {
    InstallAnsweringYes();
    SetFileAttributesA(Installed().c_str(), FILE_ATTRIBUTE_READONLY);
    // Wine will not add to a pending rename list that is not a list.
    ASSERT_TRUE(robot::WriteDword(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenames, 1));
    Box failed = StartUninstall();
    ASSERT_TRUE(failed.dialog) << "no message from the uninstaller";
    EXPECT_EQ("Hanging Mobile uninstaller", failed.caption);
    EXPECT_EQ("There was a problem uninstalling.\r\nTo complete the uninstall manually, you "
              "should go into your Windows directory and delete the file 'Hanging Mobile.scr'",
              failed.text);
    EXPECT_EQ(Buttons({IDOK}), failed.buttons);
    EXPECT_FALSE(robot::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    // The user can delete the file by hand: it is no longer read-only.
    EXPECT_EQ(0u, GetFileAttributesA(Installed().c_str()) & FILE_ATTRIBUTE_READONLY);
    Answer(failed, IDOK);
    ExpectEndsWithZero("after the failed uninstall");
}

// Run by lock_windows_folder.sh with the Windows folder made immutable on
// the host, where even root cannot create files; skipped otherwise.
bool WindowsFolderLocked() {
    return strstr(GetCommandLineA(), "--windows-folder-locked") != nullptr;
}

TEST_F(InstallTest, AnUnwritableWindowsFolderStopsBeforeTheQuestion) {
    if (!WindowsFolderLocked())
        GTEST_SKIP() << "needs lock_windows_folder.sh";
    ASSERT_FALSE(WriteBytes(WindowsFolder() + "\\locked.tmp", "x")) << "the folder is writable";
    Box refused = StartInstaller();
    ASSERT_TRUE(refused.dialog) << "no message";
    EXPECT_EQ(kInstallCaption, refused.caption);
    EXPECT_EQ("You must be logged on as system administrator to install screen savers",
              refused.text);
    EXPECT_EQ(Buttons({IDOK}), refused.buttons);
    EXPECT_TRUE(refused.icon);
    Answer(refused, IDOK);
    ExpectEndsWithZero("after the refusal");
    EXPECT_FALSE(Exists(Installed()));
    EXPECT_FALSE(robot::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(probeFilesBefore, ProbeFiles());
}

} // namespace
