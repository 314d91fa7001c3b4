// The program's EGL context (egl_context.h), with a line for what failed.
#include "wayland/client.h"
#include "wayland/egl_context.h"

bool StartEgl(Client& client) {
    EglContext egl;
    EglStart step = StartEglContext(client.display, egl);
    client.egl = egl.display;
    client.config = egl.config;
    client.context = egl.context;
    if (step == EglNoDisplay)
        Say("cannot start EGL on the Wayland display (error 0x%x)", eglGetError());
    else if (step == EglNoDesktopConfig)
        Say("EGL offers no desktop OpenGL for windows with a depth buffer");
    else if (step == EglNoContext)
        Say("cannot create an OpenGL context (EGL error 0x%x)", eglGetError());
    return step == EglStarted;
}

void StopEgl(Client& client) {
    EglContext egl = {client.egl, client.config, client.context};
    StopEglContext(egl);
    client.egl = EGL_NO_DISPLAY;
}
