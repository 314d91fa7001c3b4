#include "host/system_settings.h"

#include <string.h>

#include "host/saver_host.h"
#include "host/settings.h"
#include "host/trace.h"
#include "scene/camera.h"

namespace {

const char kScreenSaversKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";

typedef BOOL(WINAPI* VerifyPwdProc)(HWND window);
typedef DWORD(WINAPI* ChangePwdProc)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);
typedef int32_t(WINAPI* AgentDetectProc)();
typedef void(WINAPI* AgentChangedProc)();

// The hot-corner agent goes by either name depending on where it came from.
HMODULE LoadHotCornerAgent() {
    HMODULE agent = LoadLibraryA("sage.dll");
    if (!agent)
        agent = LoadLibraryA("scrhots.dll");
    return agent;
}

void WriteDword(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
}

} // namespace

void LoadSystemSaverSettings() {
    SystemSaverSettings& s = host.settings;
    s.passwordDelay = 15;
    s.passwordDelayIndex = 0;
    s.mouseThreshold = kDefaultMouseThreshold;
    host.dismissalSuspended = false;

    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kScreenSaversKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    ReadRegistryDword(key, "Password Delay", &s.passwordDelay);
    ReadRegistryDword(key, "Password Delay Index", &s.passwordDelayIndex);
    ReadRegistryDword(key, "Mouse Threshold", &s.mouseThreshold);
    ReadRegistryDword(key, "Mouse Threshold Index", &s.mouseThresholdIndex);
    ReadRegistryDword(key, "Mute Sound", &s.muteSound);

    // A value too long for the buffer reads as nothing rather than as a
    // truncated or partly filled buffer, so every corner falls to '-'.
    char corners[sizeof s.mouseCorners] = {};
    DWORD size = sizeof corners;
    if (RegQueryValueExA(key, "Mouse Corners", nullptr, nullptr, (BYTE*)corners, &size) !=
        ERROR_SUCCESS)
        memset(corners, 0, sizeof corners);
    for (int i = 0; i < 4; ++i)
        s.mouseCorners[i] = corners[i] == 'Y' || corners[i] == 'N' ? corners[i] : '-';
    s.mouseCorners[4] = 0;
    RegCloseKey(key);

    s.hotCornerService = 0;
    HMODULE agent = LoadHotCornerAgent();
    if (!agent)
        return;
    AgentDetectProc detect = (AgentDetectProc)(void*)GetProcAddress(agent, "System_Agent_Detect");
    if (detect)
        s.hotCornerService = detect();
    FreeLibrary(agent);
}

void SaveSystemSaverSettings() {
    const SystemSaverSettings& s = host.settings;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kScreenSaversKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    WriteDword(key, "Password Delay", s.passwordDelay);
    WriteDword(key, "Password Delay Index", s.passwordDelayIndex);
    WriteDword(key, "Mouse Threshold", s.mouseThreshold);
    WriteDword(key, "Mouse Threshold Index", s.mouseThresholdIndex);
    WriteDword(key, "Mute Sound", s.muteSound ? 1 : 0);
    // Always the four corner characters and their terminator, even when the
    // record holds fewer (the all-zero buffer of a missing key).
    char corners[sizeof s.mouseCorners];
    memcpy(corners, s.mouseCorners, sizeof corners);
    corners[4] = 0;
    RegSetValueExA(key, "Mouse Corners", 0, REG_SZ, (const BYTE*)corners, sizeof corners);
    RegCloseKey(key);

    HMODULE agent = LoadHotCornerAgent();
    if (!agent)
        return;
    AgentChangedProc changed =
        (AgentChangedProc)(void*)GetProcAddress(agent, "Screen_Saver_Changed");
    if (changed)
        changed();
    FreeLibrary(agent);
}

DWORD WindowsPlatform() {
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the version structure the 9x family knows");
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) ? version.dwPlatformId : 0;
}

bool VerifySaverPassword(HWND window) {
    // The NT family asks for the password itself, before the saver sees input.
    if (WindowsPlatform() == VER_PLATFORM_WIN32_NT)
        return true;

    HMODULE library = LoadLibraryA("PASSWORD.CPL");
    if (!library) {
        Trace("Unable to load PASSWORD.CPL. Aborting");
        return true;
    }
    VerifyPwdProc verify = (VerifyPwdProc)(void*)GetProcAddress(library, "VerifyScreenSavePwd");
    if (!verify) {
        Trace("Unable to get VerifyPwProc address. Aborting");
        FreeLibrary(library);
        return true;
    }
    Trace("About to call VerifyPwProc");
    BOOL accepted = verify(window);
    FreeLibrary(library);
    return accepted != FALSE;
}

void ChangeSaverPassword(HWND window) {
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (!library) {
        Trace("MPR.DLL not found: cannot change password.");
        return;
    }
    ChangePwdProc change = (ChangePwdProc)(void*)GetProcAddress(library, "PwdChangePasswordA");
    if (!change) {
        FreeLibrary(library);
        Trace("PwdChangeProc not found: cannot change password");
        return;
    }
    change("SCRSAVE", window, 0, 0);
    FreeLibrary(library);
}
