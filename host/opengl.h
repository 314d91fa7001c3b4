// The program's single OpenGL context and the optional switch to a faster
// display mode. Process-wide, on the GUI thread; the scene drives it.
#pragma once

#include <windows.h>

#include "mobile/mobile.h"

// -1 in any field means "any".
struct PixelFormatWish {
    int colourBits;
    int depthBits;
    int doubleBuffer; // 0 no, 1 yes
    int accelerated;  // 0 software, 1 hardware
};

extern bool glInitTried;
extern bool glReady;
// Why the context could not be made, for the window to show; "" otherwise.
extern const char* glFailureMessage;
extern RECT projectionRect;
extern bool modeSwitchTried;
extern bool modeSwitched;

// Ranks a format against the wishes; each term outweighs all below it.
int ScorePixelFormat(const PIXELFORMATDESCRIPTOR& format, const PixelFormatWish& wish);
// The 1-based number of the best of `count` formats, 0 when none scores.
int BestPixelFormat(const PIXELFORMATDESCRIPTOR* formats, int count, const PixelFormatWish& wish);
int PickPixelFormat(HDC dc, const PixelFormatWish& wish);

// The index among `modes` of the 640 x 480 x 16 mode to switch to: the
// lowest frequency above 70 Hz, else the fastest; -1 when there is none.
int ChooseFastMode(const DEVMODEA* modes, int count);

void StartOpenGL(HDC dc);
void SetProjection(float fov, float znear, float zfar, const RECT& windowRect);
void SwitchToFastMode(HWND window);
void StopOpenGL();

// Draws and shows one whole frame: the view, then the buffer swap. The
// context must be current on `dc`. Returns DrawMobileView's answer.
bool DrawMobileFrame(const Mobile& mobile, int32_t latitude, int32_t longitude, HDC dc);
