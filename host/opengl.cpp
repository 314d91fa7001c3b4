#include "host/opengl.h"

#include <GL/gl.h>

#include <stdlib.h>

#include "host/saver_host.h"
#include "mobile/table.h"
#include "scene/gl_setup.h"
#include "scene/renderer.h"
#include "scene/view.h"

bool glInitTried = false;
bool glReady = false;
const char* glFailureMessage = "";
RECT projectionRect = {0, 0, 0, 0};
static ViewProjection projection = {};
bool modeSwitchTried = false;
bool modeSwitched = false;

static bool WishMet(int wish, bool met) {
    return wish == -1 || met;
}

int ScorePixelFormat(const PIXELFORMATDESCRIPTOR& format, const PixelFormatWish& wish) {
    DWORD flags = format.dwFlags;
    bool generic = (flags & PFD_GENERIC_FORMAT) != 0;
    bool genericAccelerated = (flags & PFD_GENERIC_ACCELERATED) != 0;
    bool fullHardware = !generic && !genericAccelerated;
    bool acceleratedGeneric = generic && genericAccelerated;
    bool software = generic && !genericAccelerated;
    int colour = format.cColorBits;
    int depth = format.cDepthBits;
    bool doubleBuffered = (flags & PFD_DOUBLEBUFFER) != 0;

    int score = 0;
    if ((flags & PFD_SUPPORT_OPENGL) && (flags & PFD_DRAW_TO_WINDOW))
        score += 32768;
    if (wish.depthBits == -1 || (wish.depthBits > 0 && depth > 0))
        score += 16384;
    if (WishMet(wish.doubleBuffer, (wish.doubleBuffer == 0 && !doubleBuffered) ||
                                       (wish.doubleBuffer == 1 && doubleBuffered)))
        score += 8192;
    if (WishMet(wish.accelerated,
                (wish.accelerated == 0 && software) ||
                    (wish.accelerated == 1 && (fullHardware || acceleratedGeneric))))
        score += 4096;
    if (WishMet(wish.colourBits, wish.colourBits == colour))
        score += 2048;
    if (WishMet(wish.depthBits, wish.depthBits == depth))
        score += 1024;
    if (format.iPixelType != PFD_TYPE_COLORINDEX)
        score += 128;
    if (fullHardware)
        score += 66;
    if (acceleratedGeneric)
        score += 64;
    if (colour == 16)
        score += 40;
    if (colour > 16)
        score += 32;
    if (depth == 16)
        score += 20;
    if (depth > 16)
        score += 16;
    if (flags & PFD_DRAW_TO_BITMAP)
        score += 1;
    return score;
}

int BestPixelFormat(const PIXELFORMATDESCRIPTOR* formats, int count, const PixelFormatWish& wish) {
    int best = 0, bestScore = 0;
    for (int i = 0; i < count; i++) {
        int score = ScorePixelFormat(formats[i], wish);
        if (score > bestScore) { // strictly: ties go to the lowest number
            bestScore = score;
            best = i + 1;
        }
    }
    return best;
}

int PickPixelFormat(HDC dc, const PixelFormatWish& wish) {
    PIXELFORMATDESCRIPTOR descriptor = {};
    int count = DescribePixelFormat(dc, 1, sizeof descriptor, &descriptor);
    if (count < 1)
        return 0;
    PIXELFORMATDESCRIPTOR* formats =
        (PIXELFORMATDESCRIPTOR*)malloc((size_t)count * sizeof(PIXELFORMATDESCRIPTOR));
    if (!formats)
        return 0;
    for (int i = 1; i <= count; i++) {
        PIXELFORMATDESCRIPTOR& format = formats[i - 1];
        format = PIXELFORMATDESCRIPTOR{};
        format.nSize = sizeof format;
        format.nVersion = 1;
        DescribePixelFormat(dc, i, sizeof format, &format);
    }
    int best = BestPixelFormat(formats, count, wish);
    free(formats);
    return best;
}

void StartOpenGL(HDC dc) {
    if (glInitTried)
        return;
    glInitTried = true;
    glReady = false;

    int format = PickPixelFormat(dc, PixelFormatWish{16, 16, 1, 1});
    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    if (format == 0 || !DescribePixelFormat(dc, format, sizeof descriptor, &descriptor) ||
        !SetPixelFormat(dc, format, &descriptor)) {
        glFailureMessage = "Graphics card doesn't support these display settings";
        return;
    }
    HGLRC context = wglCreateContext(dc);
    if (!context) {
        glFailureMessage = "Failed to start OpenGL";
        return;
    }
    if (!wglMakeCurrent(dc, context)) {
        wglDeleteContext(context);
        glFailureMessage = "Failed to activate OpenGL";
        return;
    }
    SetFixedGlState();
    glReady = true;
    // Forget the last rectangle, so the next frame sets up the projection
    // whatever its rectangle (an empty one included, hence the flag).
    projectionRect = RECT{0, 0, 0, 0};
    projection = ViewProjection{};
}

void SetProjection(float fov, float znear, float zfar, const RECT& rect) {
    if (!glInitTried || !glReady)
        return;
    // The window's rectangle on the screen: a move sets the same projection
    // again, which costs nothing worth a second rule.
    if (ReshapeView(projection, fov, znear, zfar, rect.left, rect.top, rect.right, rect.bottom))
        projectionRect = rect;
}

int ChooseFastMode(const DEVMODEA* modes, int count) {
    int steady = -1, fastest = -1;
    for (int i = 0; i < count; i++) {
        const DEVMODEA& mode = modes[i];
        if (mode.dmPelsWidth != 640 || mode.dmPelsHeight != 480 || mode.dmBitsPerPel != 16)
            continue;
        DWORD frequency = mode.dmDisplayFrequency;
        if (frequency > 70 && (steady < 0 || frequency < modes[steady].dmDisplayFrequency))
            steady = i;
        if (fastest < 0 || frequency > modes[fastest].dmDisplayFrequency)
            fastest = i;
    }
    return steady >= 0 ? steady : fastest;
}

static DEVMODEA ClearedMode() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmDriverExtra = 0;
    return mode;
}

void SwitchToFastMode(HWND window) {
    if (modeSwitchTried)
        return;
    modeSwitchTried = true;
    modeSwitched = false;

    // One pass over the modes, kept for the choice. Should memory run out,
    // the choice is made among those read so far.
    Table<DEVMODEA> modes = {};
    for (DEVMODEA mode = ClearedMode(); EnumDisplaySettingsA(nullptr, modes.count, &mode);
         mode = ClearedMode()) {
        if (!TablePush(modes, mode))
            break;
    }
    int chosen = ChooseFastMode(modes.data, (int)modes.count);
    TableFree(modes);
    if (chosen < 0)
        return;
    DEVMODEA mode = ClearedMode();
    if (!EnumDisplaySettingsA(nullptr, (DWORD)chosen, &mode) ||
        ChangeDisplaySettingsA(&mode, CDS_TEST) != DISP_CHANGE_SUCCESSFUL)
        return;

    // Messages dispatched during the change must neither dismiss nor draw.
    host.dismissalSuspended = true;
    ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
    MoveWindow(window, 0, 0, 640, 480, FALSE);
    host.dismissalSuspended = false;
    // The change moves the cursor; that is no mouse travel of the user's.
    GetCursorPos(&host.referenceCursor);
    modeSwitched = true;
}

void StopOpenGL() {
    if (glInitTried && glReady) {
        HGLRC context = wglGetCurrentContext();
        if (context) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context);
        }
        glInitTried = false;
        glReady = false; // the context is gone
    }
    if (modeSwitchTried && modeSwitched) {
        ChangeDisplaySettingsA(nullptr, 0);
        modeSwitchTried = false;
    }
}

bool DrawMobileFrame(const Mobile& mobile, int32_t latitude, int32_t longitude, HDC dc) {
    bool whole = DrawMobileView(mobile, latitude, longitude);
    SwapBuffers(dc);
    return whole;
}
