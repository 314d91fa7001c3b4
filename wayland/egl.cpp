// One EGL context with desktop OpenGL (the renderer's OpenGL 1.1 immediate
// mode, unchanged), shared by every surface.
#include "wayland/client.h"

bool StartEgl(Client& client) {
    client.egl = eglGetDisplay((EGLNativeDisplayType)client.display);
    if (client.egl == EGL_NO_DISPLAY || !eglInitialize(client.egl, nullptr, nullptr)) {
        Say("cannot start EGL on the Wayland display (error 0x%x)", eglGetError());
        client.egl = EGL_NO_DISPLAY;
        return false;
    }
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
        !eglChooseConfig(client.egl, wanted, &client.config, 1, &count) || count < 1) {
        Say("EGL offers no desktop OpenGL for windows with a depth buffer");
        return false;
    }
    client.context = eglCreateContext(client.egl, client.config, EGL_NO_CONTEXT, nullptr);
    if (client.context == EGL_NO_CONTEXT) {
        Say("cannot create an OpenGL context (EGL error 0x%x)", eglGetError());
        return false;
    }
    return true;
}

void StopEgl(Client& client) {
    if (client.egl == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(client.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (client.context != EGL_NO_CONTEXT)
        eglDestroyContext(client.egl, client.context);
    eglTerminate(client.egl);
    eglReleaseThread();
    client.egl = EGL_NO_DISPLAY;
}
