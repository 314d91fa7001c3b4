#include "host/display_power.h"

#include <string.h>

#include "host/saver_host.h"
#include "host/saver_scene.h"

namespace {

// The declarations of newer systems, spelled out for an older target.
const UINT kPowerSettingChange = 0x8013; // PBT_POWERSETTINGCHANGE
const DWORD kNotifyWindowHandle = 0;     // DEVICE_NOTIFY_WINDOW_HANDLE
// GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed.
const GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// GUID_MONITOR_POWER_ON, where the former is unknown: 0 off, 1 on.
const GUID kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

struct PowerSetting {
    GUID setting;
    DWORD dataLength;
    UCHAR data[1];
};

typedef void*(WINAPI* RegisterProc)(HANDLE, const GUID*, DWORD);
typedef BOOL(WINAPI* UnregisterProc)(void*);

// Both are asked for: a system may accept the newer one and never report
// it (the older one then still does), and one that knows both reports both,
// which is harmless.
const GUID* const kDisplayStates[] = {&kConsoleDisplayState, &kMonitorPowerOn};
const int kDisplayStateCount = sizeof kDisplayStates / sizeof kDisplayStates[0];
void* registrations[kDisplayStateCount] = {};

POINT cursorWhenOff; // mouse travel from here shows that the display is seen

// The frames' timers follow the display, so that nothing runs while it is off.
void SetDisplayOff(bool off) {
    if (off && !host.displayOff)
        GetCursorPos(&cursorWhenOff);
    host.displayOff = off;
    for (uint32_t i = 0; i < host.scenes.count; i++)
        if (host.scenes[i])
            PauseSceneFrames(*host.scenes[i], off);
}

FARPROC User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

} // namespace

void OnMonitorPower(LPARAM state) {
    if (state == 1 || state == 2)
        SetDisplayOff(true);
    else if (state == -1)
        SetDisplayOff(false);
}

void OnDisplaySeen() {
    if (host.displayOff)
        SetDisplayOff(false);
}

void OnCursorMessage() {
    POINT cursor;
    if (host.displayOff && GetCursorPos(&cursor) &&
        (cursor.x != cursorWhenOff.x || cursor.y != cursorWhenOff.y))
        SetDisplayOff(false);
}

void OnDialogEnded() {
    OnDisplaySeen();
    for (uint32_t i = 0; i < host.scenes.count; i++)
        if (host.scenes[i])
            InvalidateRect(host.scenes[i]->window, nullptr, FALSE);
}

void ListenForDisplayPower(HWND window) {
#ifdef HM_WITHOUT_POWER_NOTIFICATION
    // A test copy of the saver stands for a system that sends none.
    return;
#endif
    RegisterProc registerFor =
        (RegisterProc)(void*)User32Function("RegisterPowerSettingNotification");
    for (int i = 0; registerFor && i < kDisplayStateCount; i++)
        if (!registrations[i])
            registrations[i] = registerFor(window, kDisplayStates[i], kNotifyWindowHandle);
}

void StopListeningForDisplayPower() {
    UnregisterProc unregister =
        (UnregisterProc)(void*)User32Function("UnregisterPowerSettingNotification");
    for (void*& registration : registrations) {
        if (registration && unregister)
            unregister(registration);
        registration = nullptr;
    }
}

bool OnPowerBroadcast(WPARAM event, LPARAM data) {
    const PowerSetting* setting = (const PowerSetting*)data;
    if (event != kPowerSettingChange || !setting || setting->dataLength < sizeof(DWORD))
        return false;
    bool display = IsEqualGUID(setting->setting, kConsoleDisplayState) ||
                   IsEqualGUID(setting->setting, kMonitorPowerOn);
    if (!display)
        return false;
    DWORD state;
    memcpy(&state, setting->data, sizeof state);
    // Dimmed is still seen: only off stops the frames.
    SetDisplayOff(state == 0);
    return true;
}
