// Self install into the Windows directory with an entry in the list of
// installed programs, and self uninstall. The user hears from both only
// through message boxes without an owner.
#include <string.h>
#include <windows.h>

#include <string>

#include "config/runners.h"
#include "host/saver_host.h"
#include "host/trace.h"

static const char kInstallCaption[] = "Saver Install";

static std::string UninstallKeyPath() {
    return std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") +
           host.saverName;
}

static bool DirectoryIsWritable(const char* directory) {
    char probe[MAX_PATH];
    if (GetTempFileNameA(directory, "pst", 0, probe) == 0)
        return false;
    DeleteFileA(probe);
    return true;
}

// REG_SZ with its terminating zero counted, as every reader expects.
static void WriteText(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text.c_str(), (DWORD)text.size() + 1);
}

static void WriteUninstallEntry(const std::string& installed) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallKeyPath().c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return; // the saver still works without an uninstall entry
    // The path holds blanks, so it is quoted wherever a command line is made of it.
    std::string quoted = "\"" + installed + "\"";
    WriteText(key, "DisplayName", std::string(host.saverName) + " saver");
    WriteText(key, "UninstallString", quoted + " /u");
    WriteText(key, "UninstallPath", quoted + " /u");
    WriteText(key, "ModifyPath", quoted);
    WriteText(key, "DisplayIcon", installed);
    char helpLink[1024];
    if (LoadStringA(host.instance, 2, helpLink, sizeof helpLink) > 0)
        WriteText(key, "HelpLink", helpLink);
    RegCloseKey(key);
}

void InstallSaver() {
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, sizeof directory);
    if (!DirectoryIsWritable(directory)) {
        MessageBoxA(nullptr,
                    "You must be logged on as system administrator to install screen savers",
                    kInstallCaption, MB_ICONINFORMATION | MB_OK);
        return;
    }
    std::string installed = std::string(directory) + "\\" + host.saverName + ".scr";
    bool replacing = GetFileAttributesA(installed.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::string question = std::string("Do you want to install '") + host.saverName + "' ?";
    if (replacing)
        question += "\r\n\r\n(This will replace the version that you have currently)";
    if (MessageBoxA(nullptr, question.c_str(), kInstallCaption, MB_YESNOCANCEL) != IDYES)
        return;

    char self[MAX_PATH] = "";
    GetModuleFileNameA(host.instance, self, sizeof self);
    SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT));
    if (!CopyFileA(self, installed.c_str(), FALSE)) {
        std::string text =
            "There was an error installing the saver.\r\n\r\n\"" + LastErrorText() + "\"";
        MessageBoxA(nullptr, text.c_str(), kInstallCaption, MB_ICONERROR | MB_OK);
        SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
        return;
    }
    WriteUninstallEntry(installed);

    // The shell's verb for saver files opens the display settings with it chosen.
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS;
    execute.lpVerb = "install";
    execute.lpFile = installed.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&execute)) {
        if (execute.hProcess) {
            WaitForInputIdle(execute.hProcess, 2000);
            CloseHandle(execute.hProcess);
        }
        SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
        return;
    }
    SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
    MessageBoxA(nullptr, "The saver has been installed", host.saverName, MB_OK);
}

void UninstallSaver() {
    // The entry goes whatever happens to the file.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKeyPath().c_str());

    char self[MAX_PATH] = "";
    GetModuleFileNameA(host.instance, self, sizeof self);
    SetFileAttributesA(self, FILE_ATTRIBUTE_NORMAL);
    // A running program cannot delete itself: the system does it at restart.
    bool scheduled = MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;

    const char* name = self;
    for (const char* p = self; *p; p++)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    std::string caption = std::string(host.saverName) + " uninstaller";
    std::string text =
        scheduled
            ? std::string("Uninstall completed. The saver will be removed next time you reboot.")
            : std::string("There was a problem uninstalling.\r\nTo complete the uninstall "
                          "manually, you should go into your Windows directory and delete "
                          "the file '") +
                  name + "'";
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}
