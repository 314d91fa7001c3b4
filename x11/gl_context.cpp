#include "x11/gl_context.h"

#include <stdio.h>

#include "scene/gl.h"
#include "scene/gl_setup.h"

// The renderer's frame ends with SwapBuffers on the handle it was given,
// which here is the draw target.
int SwapBuffers(HDC dc) {
    const DrawTarget& target = *(const DrawTarget*)dc;
    if (target.doubleBuffered)
        glXSwapBuffers(target.display, target.window);
    else
        glFlush();
    return 1;
}

GLXContext StartGlContext(DrawTarget& target) {
    GLXContext context = glXCreateContext(target.display, &target.visual, nullptr, True);
    if (!context) {
        fprintf(stderr, "hangingmobile: cannot create an OpenGL context\n");
        return nullptr;
    }
    if (!glXMakeCurrent(target.display, target.window, context)) {
        fprintf(stderr, "hangingmobile: cannot make the OpenGL context current\n");
        glXDestroyContext(target.display, context);
        return nullptr;
    }
    SetFixedGlState();
    return context;
}

void StopGlContext(DrawTarget& target, GLXContext context) {
    if (!context)
        return;
    glXMakeCurrent(target.display, None, nullptr);
    glXDestroyContext(target.display, context);
}
