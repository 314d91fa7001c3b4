#include "host/saver_scene.h"

#include "host/opengl.h"
#include "host/saver_host.h"
#include "host/settings.h"
#include "mobile/parser.h"
#include "mobile/platform.h"
#include "resources/resource.h"
#include "scene/camera.h"
#include "scene/dynamics.h"
#include "scene/view.h"

static const UINT_PTR kFrameTimer = 1;

// Parses the built-in description straight from the module's resources.
// A program without it shows an empty scene rather than failing.
static void LoadBuiltinMobile(Mobile& mobile) {
    const char* bytes = "";
    DWORD size = 0;
    HRSRC resource = FindResourceA(host.instance, MAKEINTRESOURCEA(IDR_MOBILE), (LPCSTR)RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(host.instance, resource) : nullptr;
    const char* locked = loaded ? (const char*)LockResource(loaded) : nullptr;
    if (locked) {
        bytes = locked;
        size = SizeofResource(host.instance, resource);
    }
    ParseMobileDescription(mobile, bytes, size);
}

void ConstructScene(SaverScene& scene, HWND window, int32_t windowIndex) {
    scene = SaverScene{};
    scene.window = window;
    scene.windowIndex = windowIndex;
    if (windowIndex >= 1)
        return; // other monitors only paint black

    host.changeScreenMode = GetSettingBool(kSettingChangeScreenMode, false);
    scene.latitude = GetSettingInt(kSettingLatitude, kDefaultLatitude);
    scene.longitude = GetSettingInt(kSettingLongitude, kDefaultLongitude);
    LoadBuiltinMobile(scene.mobile);
    SetTimer(window, kFrameTimer, kFrameMilliseconds, nullptr);
    scene.timerRunning = true;
}

void RenderFrame(SaverScene& scene) {
    // Nobody sees a display that is off. The motion keeps its own clock, so
    // nothing is lost by skipping frames.
    if (host.displayOff)
        return;
    if (scene.windowIndex >= 1) {
        InvalidateRect(scene.window, nullptr, FALSE);
        return;
    }
    if (scene.windowIndex == 0 && host.changeScreenMode)
        SwitchToFastMode(scene.window);
    if (!scene.dc)
        scene.dc = GetDC(scene.window);
    StartOpenGL(scene.dc);
    RECT rect;
    GetWindowRect(scene.window, &rect);
    SetProjection(scene.mobile.fov, scene.mobile.znear, scene.mobile.zfar, rect);
    if (!glReady) {
        InvalidateRect(scene.window, nullptr, FALSE); // the paint shows why
        return;
    }
    if (host.dismissalSuspended)
        return;
    UpdateAngles(scene.mobile);
    DrawMobileFrame(scene.mobile, scene.latitude, scene.longitude, scene.dc);
}

RECT FailureTextBox(DWORD ticks, LONG height) {
    LONG p = height > 0 ? (LONG)((ticks / 20) % (DWORD)height) : 0;
    RECT box = {p - 400, p - 20, p + 400, p + 20};
    return box;
}

void PaintScene(SaverScene& scene, HDC paintDc, const RECT& client) {
    if (scene.windowIndex == 0 && glReady && !host.dismissalSuspended) {
        RenderFrame(scene);
        return;
    }
    FillRect(paintDc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
    if (scene.windowIndex != 0 || host.dismissalSuspended)
        return;
    // Without OpenGL the primary window says why, the line drifting down
    // the diagonal so that it does not burn in. A window of no height has
    // no room for it (and would divide by zero).
    if (client.bottom <= 0)
        return;
    RECT box = FailureTextBox(TickCount(), client.bottom);
    SelectObject(paintDc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkColor(paintDc, RGB(0, 0, 0));
    SetTextColor(paintDc, RGB(255, 128, 128));
    DrawTextA(paintDc, glFailureMessage, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void OnCameraKey(SaverScene& scene, WPARAM virtualKey) {
    static const struct {
        WPARAM virtualKey;
        CameraKey key;
    } keys[] = {
        {VK_PRIOR, CameraPageUp}, {VK_NEXT, CameraPageDown}, {VK_END, CameraEnd},
        {VK_HOME, CameraHome},    {VK_LEFT, CameraLeft},     {VK_UP, CameraUp},
        {VK_RIGHT, CameraRight},  {VK_DOWN, CameraDown},
    };
    bool turned = false;
    for (const auto& entry : keys) {
        if (entry.virtualKey == virtualKey) {
            TurnCamera(scene.latitude, scene.longitude, entry.key);
            turned = true;
        }
    }
    // Any other key still brings a stored position that is out of range back
    // into it, and stores it.
    if (!turned)
        KeepCameraInRange(scene.latitude, scene.longitude);
    SetSettingInt(kSettingLatitude, scene.latitude);
    SetSettingInt(kSettingLongitude, scene.longitude);
}

void PauseSceneFrames(SaverScene& scene, bool paused) {
    if (scene.windowIndex >= 1)
        return; // other monitors run no timer
    if (paused && scene.timerRunning) {
        KillTimer(scene.window, kFrameTimer);
        scene.timerRunning = false;
    } else if (!paused && !scene.timerRunning) {
        scene.timerRunning = SetTimer(scene.window, kFrameTimer, kFrameMilliseconds, nullptr) != 0;
    }
}

void TeardownScene(SaverScene& scene) {
    if (scene.timerRunning) {
        KillTimer(scene.window, kFrameTimer);
        scene.timerRunning = false;
    }
    if (scene.dc) {
        ReleaseDC(scene.window, scene.dc);
        scene.dc = nullptr;
    }
    if (scene.windowIndex == 0)
        StopOpenGL();
    FreeMobile(scene.mobile);
}
