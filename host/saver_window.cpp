#include "host/saver_window.h"

#include <stdlib.h>
#include <string.h>

#include "host/display_power.h"
#include "host/dpi_messages.h"
#include "host/saver_host.h"
#include "host/saver_scene.h"
#include "host/saver_windows.h"
#include "host/startup.h"
#include "host/system_settings.h"
#include "host/trace.h"
#include "mobile/platform.h"

bool IsSaverWindow(HWND window) {
    char name[100];
    return GetClassNameA(window, name, sizeof name) > 0 &&
           strncmp(name, kSaverClassName, sizeof kSaverClassName - 1) == 0;
}

// Windows of the other monitors close the saver through the primary window,
// the first one created. Should the primary have no scene, its owner link
// still names it.
static HWND CloseTarget(HWND window, int32_t windowIndex) {
    if (windowIndex < 1)
        return window;
    if (host.scenes.count > 0 && host.scenes[0])
        return host.scenes[0]->window;
    HWND owner = GetWindow(window, GW_OWNER);
    return owner ? owner : window;
}

static LRESULT RequestClose(HWND target, const char* traceLine) {
    Trace(traceLine);
    host.closeRequested = true;
    PostMessageA(target, WM_CLOSE, 0, 0);
    return 0;
}

static bool DismissalLive() {
    return host.mode == ModeSaver && !host.dismissalSuspended;
}

static bool IsCameraKey(WPARAM key) {
    return key >= VK_PRIOR && key <= VK_DOWN;
}

static void OnCreate(HWND window, const CREATESTRUCTA* create) {
    int32_t windowIndex = *(const int32_t*)create->lpCreateParams;
    SetWindowLongA(window, 0, windowIndex);
    Trace("WM_CREATE");
    SaverScene* scene = (SaverScene*)calloc(1, sizeof(SaverScene));
    if (scene)
        ConstructScene(*scene, window, windowIndex);
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)scene);
    TablePush(host.scenes, scene);
    if (windowIndex <= 0) // a window that draws the mobile
        ListenForDisplayPower(window);
}

static void OnTimer(SaverScene* scene) {
    if (scene)
        RenderFrame(*scene);
}

static void OnPaint(HWND window, SaverScene* scene) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    if (scene)
        PaintScene(*scene, dc, client);
    EndPaint(window, &paint);
}

// Any key or button ends the full-screen saver, except the cursor keys on
// the primary window, which turn its camera.
static LRESULT OnKeyOrButtonDown(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 int32_t windowIndex, SaverScene* scene) {
    if (!DismissalLive())
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_KEYDOWN && windowIndex == 0 && IsCameraKey(wParam)) {
        if (scene)
            OnCameraKey(*scene, wParam);
        return 0;
    }
    return RequestClose(CloseTarget(window, windowIndex), "WM_BUTTONDOWN: sending close");
}

static LRESULT OnMouseMove(HWND target) {
    if (!DismissalLive() || host.debugMode)
        return 0;
    // Measured from where the saver started, axis by axis, so slow drift
    // adds up until it passes the threshold.
    POINT cursor;
    GetCursorPos(&cursor);
    long long dx = llabs((long long)cursor.x - host.referenceCursor.x);
    long long dy = llabs((long long)cursor.y - host.referenceCursor.y);
    long long threshold = host.settings.mouseThreshold;
    if (dx > threshold || dy > threshold)
        return RequestClose(target, "WM_MOUSEMOVE: gone beyond threshold, sending close");
    return 0;
}

// The running saver swallows the system's start of a new saver and, unless
// debugging, the close command.
static LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if ((wParam & 0xFFF0) == SC_MONITORPOWER)
        OnMonitorPower(lParam); // the system still switches the display
    if (host.mode == ModeSaver && wParam == SC_SCREENSAVE) {
        Trace("WM_SYSCOMMAND: gobbling up a SC_SCREENSAVE to stop a new saver from running.");
        return 0;
    }
    if (host.mode == ModeSaver && wParam == SC_CLOSE && !host.debugMode) {
        Trace("WM_SYSCOMMAND: gobbling up a SC_CLOSE");
        return 0;
    }
    return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
}

// Another program's window taking the activation ends the full-screen saver.
static LRESULT OnActivation(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            int32_t windowIndex) {
    if (DismissalLive() && LOWORD(wParam) == 0 && !IsSaverWindow((HWND)lParam) && !host.debugMode)
        return RequestClose(CloseTarget(window, windowIndex),
                            "WM_ACTIVATE: about to inactive window, so sending close");
    return DefWindowProcA(window, message, wParam, lParam);
}

static void OnClose(HWND window, int32_t windowIndex) {
    if (windowIndex >= 1)
        return; // another monitor's window never closes by itself
    if (windowIndex == -1) {
        DestroyWindow(window);
        return;
    }
    // A close the saver did not ask for itself (another program's) is ignored.
    if (!host.closeRequested || host.dismissalSuspended)
        return;
    Trace("WM_CLOSE: maybe we need a password");
    DWORD elapsed = TickCount() - host.startTick; // unsigned: safe across the wrap
    if ((unsigned long long)elapsed > (unsigned long long)host.settings.passwordDelay * 1000) {
        host.dismissalSuspended = true;
        SendMessageA(window, WM_SETCURSOR, 0, 0); // the arrow, for the dialog
        bool passed = VerifySaverPassword(window);
        host.dismissalSuspended = false;
        SendMessageA(window, WM_SETCURSOR, 0, 0);
        OnDialogEnded();
        // Mouse travel during the dialog must not dismiss again by itself.
        GetCursorPos(&host.referenceCursor);
        if (!passed) {
            Trace("WM_CLOSE: but failed password, so doing nothing");
            return;
        }
    }
    Trace("WM_CLOSE: doing a DestroyWindow");
    DestroyWindow(window);
}

// A full-screen window keeps covering its monitor in device pixels: the
// rectangle the system suggests for the new DPI would keep the window's
// logical size and so leave part of the monitor bare, or reach onto the next.
// The window's own monitor is asked for its rectangle again rather than
// the rectangle remembered from start, since a display-mode change (such as
// the switch to the faster mode) may be what changed the DPI.
static void OnDpiChanged(HWND window, int32_t windowIndex) {
    if (windowIndex < 0)
        return;
    RECT rect = CurrentMonitorRect(window, windowIndex);
    SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system does not resize child windows for their parent's new DPI: the
// preview is made to fill its parent again. The live preview of the monitor
// control is placed by the control instead.
static void OnParentDpiChanged(HWND window) {
    HWND parent = GetParent(window);
    if (host.mode != ModePreview || !parent)
        return;
    RECT area = PreviewArea(parent);
    SetWindowPos(window, nullptr, 0, 0, area.right, area.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A change of the display's state is taken; other power events go on.
static LRESULT OnPowerEvent(HWND window, WPARAM wParam, LPARAM lParam) {
    if (OnPowerBroadcast(wParam, lParam))
        return TRUE;
    return DefWindowProcA(window, WM_POWERBROADCAST, wParam, lParam);
}

// The cursor is hidden over the running saver, the arrow otherwise.
static void OnSetCursor() {
    if (host.mode == ModeSaver && !host.dismissalSuspended && !host.debugMode)
        SetCursor(nullptr);
    else
        SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
}

static void OnDestroy(HWND window, int32_t windowIndex, SaverScene* scene) {
    Trace("WM_DESTROY.");
    if (windowIndex <= 0)
        StopListeningForDisplayPower();
    SetWindowLongA(window, 0, 0);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    // Entries stay, so the primary's stays first; only the pointer goes.
    for (uint32_t i = 0; scene && i < host.scenes.count; i++)
        if (host.scenes[i] == scene)
            host.scenes[i] = nullptr;
    if (scene) {
        TeardownScene(*scene);
        free(scene);
    }
    if ((windowIndex == 0 && host.mode == ModeSaver) || host.mode == ModePreview)
        PostQuitMessage(0);
}

// Input shows that somebody sees the display, whether or not it ends the
// saver: a camera key, the mouse within the threshold, anything in the
// preview or while debugging must not leave the frames stopped.
static void NoteInput(UINT message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEWHEEL:
        OnDisplaySeen();
        break;
    case WM_MOUSEMOVE:
        OnCursorMessage();
        break;
    }
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int32_t windowIndex = (int32_t)GetWindowLongA(window, 0);
    SaverScene* scene = (SaverScene*)GetWindowLongPtrA(window, GWLP_USERDATA);
    NoteInput(message);

    switch (message) {
    case WM_CREATE:
        OnCreate(window, (const CREATESTRUCTA*)lParam);
        break;
    case WM_TIMER:
        OnTimer(scene);
        break;
    case WM_PAINT:
        OnPaint(window, scene);
        return 0;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return OnKeyOrButtonDown(window, message, wParam, lParam, windowIndex, scene);
    case WM_MOUSEMOVE:
        return OnMouseMove(CloseTarget(window, windowIndex));
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam, lParam);
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        return OnActivation(window, message, wParam, lParam, windowIndex);
    case WM_CLOSE:
        OnClose(window, windowIndex);
        return 0;
    case WM_DESTROY:
        OnDestroy(window, windowIndex, scene);
        break;
    case WM_POWERBROADCAST:
        return OnPowerEvent(window, wParam, lParam);
    case WM_DPICHANGED:
        OnDpiChanged(window, windowIndex);
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        OnParentDpiChanged(window);
        return 0;
    case WM_SETCURSOR:
        OnSetCursor();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
