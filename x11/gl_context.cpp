#include "x11/gl_context.h"

#include <stdio.h>

#include "scene/gl_setup.h"

GLXContext StartGlContext(DrawTarget& target) {
    GLXContext context = glXCreateContext(target.display, &target.visual, nullptr, True);
    if (!context) {
        fprintf(stderr, "hangingmobile: cannot create an OpenGL context\n");
        return nullptr;
    }
    // Making it current, OpenGL asks the window's size; a window destroyed
    // just before leaves that size unset, and the buffers then sized to it
    // have taken gigabytes. With the server grabbed nobody can destroy it
    // between our look at it and OpenGL's question.
    XGrabServer(target.display);
    bool there = ReadTargetState(target);
    bool current = there && glXMakeCurrent(target.display, target.window, context);
    XUngrabServer(target.display);
    XFlush(target.display);
    if (!current) {
        if (there)
            fprintf(stderr, "hangingmobile: cannot make the OpenGL context current\n");
        else
            fprintf(stderr, "hangingmobile: window 0x%lx was destroyed as OpenGL started\n",
                    target.window);
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
