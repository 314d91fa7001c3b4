#include "x11/gl_context.h"

#include <stdio.h>

#include "scene/gl_setup.h"

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
