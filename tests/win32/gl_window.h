// The windows the OpenGL tests draw in: visible popups with a device context
// of their own, as the saver's windows have. A class is registered by its
// first window, with that window's procedure; createParam reaches WM_CREATE.
#pragma once

#include <windows.h>

inline HWND OpenOwnDcWindow(const char* className, int width, int height,
                            WNDPROC proc = DefWindowProcA, void* createParam = nullptr) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                           nullptr, windowClass.hInstance, createParam);
}

// Such a window and its device context, released at the end of the scope;
// with a context, OpenGL made current by hand in a format the system picks,
// so that none of the saver's own start comes between the test and the driver.
struct GlWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    GlWindow(int width, int height, bool withContext)
        : window(OpenOwnDcWindow("GlTestWindow", width, height)),
          dc(window ? GetDC(window) : nullptr) {
        if (!dc || !withContext)
            return;
        PIXELFORMATDESCRIPTOR wish = {};
        wish.nSize = sizeof wish;
        wish.nVersion = 1;
        wish.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        wish.iPixelType = PFD_TYPE_RGBA;
        wish.cColorBits = 24;
        wish.cDepthBits = 16;
        int format = ChoosePixelFormat(dc, &wish);
        if (format == 0 || !SetPixelFormat(dc, format, &wish))
            return;
        context = wglCreateContext(dc);
        if (context && !wglMakeCurrent(dc, context)) {
            wglDeleteContext(context);
            context = nullptr;
        }
    }
    GlWindow(const GlWindow&) = delete;
    ~GlWindow() { // each call refuses, harmlessly, what was never made
        if (context)
            wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
};
