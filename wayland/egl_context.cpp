#include "wayland/egl_context.h"

EglStart StartEglContext(wl_display* display, EglContext& egl) {
    egl = EglContext{EGL_NO_DISPLAY, nullptr, EGL_NO_CONTEXT};
    EGLDisplay started = eglGetDisplay((EGLNativeDisplayType)display);
    if (started == EGL_NO_DISPLAY || !eglInitialize(started, nullptr, nullptr))
        return EglNoDisplay;
    egl.display = started;
    const EGLint wanted[] = {EGL_SURFACE_TYPE,
                             EGL_WINDOW_BIT,
                             EGL_RENDERABLE_TYPE,
                             EGL_OPENGL_BIT,
                             EGL_RED_SIZE,
                             8,
                             EGL_GREEN_SIZE,
                             8,
                             EGL_BLUE_SIZE,
                             8,
                             EGL_DEPTH_SIZE,
                             16,
                             EGL_NONE};
    EGLint count = 0;
    if (!eglBindAPI(EGL_OPENGL_API) ||
        !eglChooseConfig(egl.display, wanted, &egl.config, 1, &count) || count < 1)
        return EglNoDesktopConfig;
    egl.context = eglCreateContext(egl.display, egl.config, EGL_NO_CONTEXT, nullptr);
    return egl.context == EGL_NO_CONTEXT ? EglNoContext : EglStarted;
}

void StopEglContext(EglContext& egl) {
    if (egl.display == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (egl.context != EGL_NO_CONTEXT)
        eglDestroyContext(egl.display, egl.context);
    eglTerminate(egl.display);
    eglReleaseThread();
    egl = EglContext{EGL_NO_DISPLAY, nullptr, EGL_NO_CONTEXT};
}
