// The floor for hangingmobile's running cost and start-up on X11: the least
// a program can do to show its frames on the root window. An OpenGL context
// on the root's visual, the same fixed state and projection, the first frame
// at once and then one every 50 ms, replayed from flat arrays (frame_cost
// --dump writes them: the built-in mobile's very calls at the very angles).
// With --lists, each shape is compiled once into a display list and the
// frames replay the lists (floor_lists.h).
//
//   floor_x11 [--lists] FRAMES_FILE
//
// It runs until it is killed.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <vector>

#include "scene/gl_setup.h"
#include "tools/bench/floor_lists.h"
#include "tools/bench/floor_replay.h"

namespace {

Display* display;
Window root;

bool StartContext(int& width, int& height) {
    display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    width = attributes.width;
    height = attributes.height;
    XVisualInfo wanted = {};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    GLXContext context = visual ? glXCreateContext(display, visual, nullptr, True) : nullptr;
    return context && glXMakeCurrent(display, root, context);
}

} // namespace

int SwapBuffers(HDC) {
    glXSwapBuffers(display, root);
    return 1;
}

int main(int argc, char** argv) {
    std::vector<char> bytes;
    FloorFrames frames = {};
    bool fromLists = argc == 3 && strcmp(argv[1], "--lists") == 0;
    if (argc != 2 + fromLists || !LoadFloorFrames(argv[argc - 1], bytes, frames))
        return 2;
    int width, height;
    if (!StartContext(width, height))
        return 3;
    SetFixedGlState();
    const FloorHeader& h = *frames.header;
    ApplyProjection(h.fov, h.znear, h.zfar, width, height);
    FloorLists lists;
    if (fromLists)
        CompileFloorLists(frames, lists);
    timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (;;) {
        if (fromLists)
            ReplayFloorFrameFromLists(frames, lists, nullptr);
        else
            ReplayFloorFrame(frames, nullptr);
        next.tv_nsec += 50000000;
        if (next.tv_nsec >= 1000000000) {
            next.tv_nsec -= 1000000000;
            next.tv_sec++;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
}
