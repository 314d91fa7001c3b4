// The one EGL context the Wayland program draws with (desktop OpenGL, for
// the renderer's OpenGL 1.1 immediate mode), and the config its window
// surfaces are made with. A library of its own so that the bench's floor
// draws through the very same context.
#pragma once

#include <EGL/egl.h>
#include <wayland-client.h>

struct EglContext {
    EGLDisplay display; // EGL_NO_DISPLAY until started
    EGLConfig config;
    EGLContext context; // EGL_NO_CONTEXT until made
};

enum EglStart { EglStarted, EglNoDisplay, EglNoDesktopConfig, EglNoContext };

// Starts EGL on the connection and makes the context. What failed, if
// anything: eglGetError() then tells more.
EglStart StartEglContext(wl_display* display, EglContext& egl);
// Releases what StartEglContext made, whatever it got to.
void StopEglContext(EglContext& egl);
