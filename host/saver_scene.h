// A saver window's scene: its mobile, device context, frame timer and
// camera. The saver window builds one at creation, hands it every tick,
// paint and camera key, and tears it down at destruction.
#pragma once

#include <windows.h>

#include "mobile/mobile.h"

struct SaverScene {
    HWND window;
    int32_t windowIndex; // -1 preview, 0 primary full screen, 1+ other monitors
    HDC dc;              // fetched by the first frame, kept until teardown
    bool timerRunning;
    Mobile mobile;
    int32_t latitude;  // camera elevation, degrees
    int32_t longitude; // camera azimuth, degrees
};

void ConstructScene(SaverScene& scene, HWND window, int32_t windowIndex);
void RenderFrame(SaverScene& scene);
void PaintScene(SaverScene& scene, HDC paintDc, const RECT& client);
void OnCameraKey(SaverScene& scene, WPARAM virtualKey);
void TeardownScene(SaverScene& scene);
// With the display off the frame timer stops, so that the program sleeps;
// it starts again with the display. The motion's clock is not the timer.
void PauseSceneFrames(SaverScene& scene, bool paused);

// The failure line's box at a tick count, for a client area `height` high:
// 800 x 40 centred on (p, p), p = (ticks / 20) mod height.
RECT FailureTextBox(DWORD ticks, LONG height);
