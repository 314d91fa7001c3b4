#include "config/install.h"

#include <string.h>
#include <windows.h>

#include "host/saver_host.h"
#include "host/trace.h"
#include "resources/resource.h"

static const char kInstallCaption[] = "Saver Install";

// Room for the longest text made here: a path and a few dozen words.
enum { kTextRoom = MAX_PATH + 512 };

// Joins up to four pieces into `text` (of kTextRoom), cutting what does not fit.
static char* Join(char* text, const char* a, const char* b = "", const char* c = "",
                  const char* d = "") {
    const char* pieces[] = {a, b, c, d};
    text[0] = 0;
    for (const char* piece : pieces) {
        size_t used = strlen(text);
        lstrcpynA(text + used, piece, (int)(kTextRoom - used));
    }
    return text;
}

static char* UninstallKeyPath(char* text) {
    return Join(text, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", host.saverName);
}

static bool DirectoryIsWritable(const char* directory) {
    char probe[MAX_PATH];
    if (GetTempFileNameA(directory, "pst", 0, probe) == 0)
        return false;
    // Some systems hand out a name without having created the file when the
    // folder refuses it: only a file that is there proves the folder writable.
    if (GetFileAttributesA(probe) == INVALID_FILE_ATTRIBUTES)
        return false;
    DeleteFileA(probe);
    return true;
}

// REG_SZ with its terminating zero counted, as every reader expects.
static void WriteText(HKEY key, const char* name, const char* text) {
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
}

static void WriteUninstallEntry(const char* installed) {
    char text[kTextRoom];
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallKeyPath(text), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return; // the saver still works without an uninstall entry
    // The path holds blanks, so it is quoted wherever a command line is made of it.
    WriteText(key, "DisplayName", Join(text, host.saverName, " saver"));
    WriteText(key, "UninstallString", Join(text, "\"", installed, "\" /u"));
    WriteText(key, "UninstallPath", text);
    WriteText(key, "ModifyPath", Join(text, "\"", installed, "\""));
    WriteText(key, "DisplayIcon", installed);
    char helpLink[1024];
    if (LoadStringA(host.instance, IDS_MAKER_URL, helpLink, sizeof helpLink) > 0)
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
    char installed[kTextRoom], text[kTextRoom];
    Join(installed, directory, "\\", host.saverName, ".scr");
    bool replacing = GetFileAttributesA(installed) != INVALID_FILE_ATTRIBUTES;
    Join(text, "Do you want to install '", host.saverName, "' ?",
         replacing ? "\r\n\r\n(This will replace the version that you have currently)" : "");
    if (MessageBoxA(nullptr, text, kInstallCaption, MB_YESNOCANCEL) != IDYES)
        return;

    char self[MAX_PATH] = "";
    GetModuleFileNameA(host.instance, self, sizeof self);
    SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT));
    if (!CopyFileA(self, installed, FALSE)) {
        char reason[512];
        Join(text, "There was an error installing the saver.\r\n\r\n\"",
             LastErrorText(reason, sizeof reason), "\"");
        MessageBoxA(nullptr, text, kInstallCaption, MB_ICONERROR | MB_OK);
        SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
        return;
    }
    WriteUninstallEntry(installed);

    // The shell's verb for saver files opens the display settings with it chosen.
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS;
    execute.lpVerb = "install";
    execute.lpFile = installed;
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
    char keyPath[kTextRoom];
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKeyPath(keyPath));

    char self[MAX_PATH] = "";
    GetModuleFileNameA(host.instance, self, sizeof self);
    SetFileAttributesA(self, FILE_ATTRIBUTE_NORMAL);
    // A running program cannot delete itself: the system does it at restart.
    bool scheduled = MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;

    const char* name = self;
    for (const char* p = self; *p; p++)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    char caption[kTextRoom], text[kTextRoom];
    Join(caption, host.saverName, " uninstaller");
    if (scheduled)
        Join(text, "Uninstall completed. The saver will be removed next time you reboot.");
    else
        Join(text,
             "There was a problem uninstalling.\r\nTo complete the uninstall manually, you "
             "should go into your Windows directory and delete the file '",
             name, "'");
    MessageBoxA(nullptr, text, caption, MB_OK);
}
