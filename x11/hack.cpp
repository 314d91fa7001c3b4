#include "x11/hack.h"

#include <stdio.h>

#include "x11/gl_context.h"
#include "linux/stop_signals.h"

// The largest drawable the implementation takes: its viewport, and its
// colour buffers, which are textures or renderbuffers of the window's size.
static void ReadLimits(Hack& hack) {
    GLint viewport[2] = {0, 0}, texture = 0, renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    while (glGetError() != GL_NO_ERROR) {
        // An implementation without renderbuffers says so here; its zero stays out.
    }
    hack.largestWidth = viewport[0];
    hack.largestHeight = viewport[1];
    const GLint buffers[] = {texture, renderbuffer};
    for (GLint limit : buffers) {
        if (limit > 0 && limit < hack.largestWidth)
            hack.largestWidth = limit;
        if (limit > 0 && limit < hack.largestHeight)
            hack.largestHeight = limit;
    }
}

HackStart InitHack(Hack& hack, const HackOptions& options) {
    hack = Hack{};
    hack.latitude = options.common.latitude;
    hack.longitude = options.common.longitude;
    hack.source.program = "hangingmobile";
    hack.source.path = options.common.description;
    if (!OpenDrawTarget(hack.target, options))
        return HackFails;
    hack.context = StartGlContext(hack.target);
    if (!hack.context)
        return drawTargetGone ? HackEnds : HackFails;
    ReadLimits(hack);
    if (options.fps && !StartFps(hack.fps, hack.target.display))
        return HackFails;
    // The description is parsed with what it holds released at a stop.
    StopBetweenFrames();
    // Last, so that the clock starts as close to the first frame as it can.
    bool loaded = LoadDescription(hack.source, hack.mobile) || options.common.watch;
    return stopRequested ? HackEnds : loaded ? HackRuns : HackFails;
}

void ReshapeHack(Hack& hack) {
    const DrawTarget& target = hack.target;
    // A window of no height has no aspect; it draws nothing until it has one.
    if (target.width <= 0 || target.height <= 0)
        return;
    ReshapeWholeView(hack.projection, hack.mobile.fov, hack.mobile.znear, hack.mobile.zfar,
                     target.width, target.height);
}

// OpenGL sizes its buffers to the window's size as the X server has it when
// a frame's first drawing call is made (it asks then); a window grown beyond
// what it can draw between that question and ours would crash its
// rasteriser. So both questions are asked while no other client can resize
// the window: with the server grabbed, for two round trips, and let go at once.
static bool FrameFits(Hack& hack) {
    Display* display = hack.target.display;
    XGrabServer(display);
    bool fits = ReadTargetState(hack.target) && hack.target.mapped &&
                hack.target.width <= hack.largestWidth && hack.target.height <= hack.largestHeight;
    if (fits)
        glClear(GL_DEPTH_BUFFER_BIT); // OpenGL asks for the size here
    XUngrabServer(display);
    XFlush(display);
    return fits;
}

void DrawHack(Hack& hack) {
    const DrawTarget& target = hack.target;
    if (!FrameFits(hack)) {
        if (drawTargetGone || displayLost || !target.mapped)
            return; // the program ends, or sleeps until the window is viewable
        if (!hack.tooLargeSaid)
            fprintf(stderr,
                    "hangingmobile: the window is %d x %d, larger than OpenGL can draw "
                    "(%d x %d); nothing is drawn until it is smaller\n",
                    target.width, target.height, hack.largestWidth, hack.largestHeight);
        hack.tooLargeSaid = true;
        return;
    }
    hack.tooLargeSaid = false;
    ReshapeHack(hack);
    if (!DrawViewFrame(hack.mobile, hack.latitude, hack.longitude) && !hack.cutSaid) {
        fprintf(stderr, "hangingmobile: %s\n", kDrawingCutMessage);
        hack.cutSaid = true;
    }
    // The frame rate goes over the picture.
    DrawFps(hack.fps, target.width, target.height);
    if (target.doubleBuffered)
        glXSwapBuffers(target.display, target.window);
    else
        glFlush();
}

void FreeHack(Hack& hack) {
    if (hack.context) {
        StopFps(hack.fps, hack.target.display);
        StopGlContext(hack.target, hack.context);
    }
    CloseDrawTarget(hack.target);
    FreeMobile(hack.mobile);
}
