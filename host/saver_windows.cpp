#include "host/saver_windows.h"

#include <string.h>

#include "host/saver_host.h"
#include "host/startup.h"
#include "mobile/platform.h"

BOOL CALLBACK CollectMonitor(HMONITOR handle, HDC, LPRECT rect, LPARAM) {
    SaverMonitor monitor = {*rect, handle};
    if (rect->left == 0 && rect->top == 0) {
        if (TableReserve(host.monitors, host.monitors.count + 1)) {
            memmove(&host.monitors[1], &host.monitors[0],
                    host.monitors.count * sizeof(SaverMonitor));
            host.monitors[0] = monitor;
            host.monitors.count++;
        }
    } else {
        TablePush(host.monitors, monitor);
    }
    return TRUE;
}

typedef BOOL(WINAPI* EnumDisplayMonitorsProc)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);

void CollectMonitors(bool simulateMonitors) {
    host.monitors.count = 0;
    host.simulatedMonitors = simulateMonitors;
    LONG width = GetSystemMetrics(SM_CXSCREEN);
    if (simulateMonitors) {
        // Three "monitors" on the primary screen, for trying multi-monitor
        // behaviour on one: a primary in the middle and two others.
        LONG q = width / 4, t = 2 * width / 3;
        RECT simulated[3] = {{q, q, t, t}, {0, q, q, 2 * q}, {t, 2 * t - width, width, t}};
        for (RECT& rect : simulated)
            TablePush(host.monitors, SaverMonitor{rect, nullptr});
    } else if (GetSystemMetrics(SM_CMONITORS) > 1) {
        // Looked up by name: systems before it have no such function.
        HMODULE user32 = LoadLibraryA("user32.dll");
        if (user32) {
            EnumDisplayMonitorsProc enumerate =
                (EnumDisplayMonitorsProc)(void*)GetProcAddress(user32, "EnumDisplayMonitors");
            if (enumerate)
                enumerate(nullptr, nullptr, CollectMonitor, 0);
            FreeLibrary(user32);
        }
    }
    if (host.monitors.count == 0) {
        RECT screen = {0, 0, width, GetSystemMetrics(SM_CYSCREEN)};
        TablePush(host.monitors, SaverMonitor{screen, nullptr});
    }
}

typedef HMONITOR(WINAPI* MonitorFromWindowProc)(HWND, DWORD);
typedef BOOL(WINAPI* GetMonitorInfoProc)(HMONITOR, LPMONITORINFO);

RECT CurrentMonitorRect(HWND window, int32_t windowIndex) {
    const SaverMonitor* made = windowIndex >= 0 && (uint32_t)windowIndex < host.monitors.count
                                   ? &host.monitors[windowIndex]
                                   : nullptr;
    if (made && host.simulatedMonitors)
        return made->rect;
    // The whole screen as it is now, where the system cannot name monitors.
    RECT rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    // Looked up by name, like EnumDisplayMonitors: older systems lack them.
    HMODULE user32 = LoadLibraryA("user32.dll");
    if (!user32)
        return made ? made->rect : rect;
    MonitorFromWindowProc monitorFrom =
        (MonitorFromWindowProc)(void*)GetProcAddress(user32, "MonitorFromWindow");
    GetMonitorInfoProc monitorInfo =
        (GetMonitorInfoProc)(void*)GetProcAddress(user32, "GetMonitorInfoA");
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (made && made->handle) {
        // The window's own monitor, wherever the window is now: the nearest
        // one may be another's (the system moves windows off a monitor that
        // goes), and an owned window there would stay above its owner. A
        // monitor that is gone leaves the window where it was made.
        rect = monitorInfo && monitorInfo(made->handle, &info) ? info.rcMonitor : made->rect;
    } else {
        HMONITOR monitor = monitorFrom ? monitorFrom(window, MONITOR_DEFAULTTONEAREST) : nullptr;
        if (monitor && monitorInfo && monitorInfo(monitor, &info))
            rect = info.rcMonitor;
    }
    FreeLibrary(user32);
    return rect;
}

RECT PreviewArea(HWND parent) {
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(parent, &rect);
    RECT area = {0, 0, rect.right - rect.left, rect.bottom - rect.top};
    return area;
}

HWND CreatePreviewWindow(HWND parent, const RECT& area) {
    // Created synchronously: WM_CREATE reads the index before the call returns.
    int32_t windowIndex = -1;
    return CreateWindowExA(0, kSaverClassName, "", WS_CHILD | WS_VISIBLE, area.left, area.top,
                           area.right - area.left, area.bottom - area.top, parent, nullptr,
                           host.instance, &windowIndex);
}

static HWND CreateFullScreenWindows() {
    GetCursorPos(&host.referenceCursor);
    host.startTick = TickCount();
    HWND primary = nullptr;
    for (uint32_t i = 0; i < host.monitors.count; i++) {
        const RECT& rect = host.monitors[i].rect;
        // Created synchronously: WM_CREATE reads the index before the next turn.
        int32_t windowIndex = (int32_t)i;
        HWND window =
            CreateWindowExA(host.debugMode ? 0 : WS_EX_TOPMOST, kSaverClassName, "",
                            WS_POPUP | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, primary, nullptr, host.instance, &windowIndex);
        if (i == 0)
            primary = window; // owns the others, so it takes them down with it
    }
    return primary;
}

void RunSaverWindows(HWND parentWindow, bool simulateMonitors) {
    bool fullScreen = host.mode != ModePreview;
    if (fullScreen)
        CollectMonitors(simulateMonitors);
    HWND ending = fullScreen ? CreateFullScreenWindows()
                             : CreatePreviewWindow(parentWindow, PreviewArea(parentWindow));
    if (ending) {
        int scratch = 0;
        if (host.mode == ModeSaver)
            SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &scratch, 0);
        MSG message;
        // -1 (an error) ends the loop too rather than spinning on it.
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (host.mode == ModeSaver)
            SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &scratch, 0);
    }
    TableFree(host.scenes);
}
