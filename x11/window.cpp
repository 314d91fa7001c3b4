#include "x11/window.h"

#include <GL/glx.h>
#include <stdio.h>

bool drawTargetGone = false;

// Errors arrive asynchronously; the handler notes them so that a bad window
// id becomes a message and an exit, never Xlib's default abort.
static int lastErrorCode = 0;

static int NoteXError(Display*, XErrorEvent* event) {
    lastErrorCode = event->error_code;
    if (event->error_code == BadWindow || event->error_code == BadDrawable)
        drawTargetGone = true;
    return 0;
}

// A GLX visual with these wishes for our own window.
static bool ChooseOwnVisual(Display* display, XVisualInfo& chosen) {
    int wishes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1,   GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE,
                    1,        GLX_DEPTH_SIZE,   16,           None};
    XVisualInfo* found = glXChooseVisual(display, DefaultScreen(display), wishes);
    if (!found)
        return false;
    chosen = *found;
    XFree(found);
    return true;
}

// The visual of a window made by someone else, if OpenGL can draw with it.
static bool WindowVisual(Display* display, const XWindowAttributes& attributes,
                         XVisualInfo& chosen) {
    XVisualInfo wanted = {};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    if (!found)
        return false;
    chosen = found[0];
    XFree(found);
    int usesGl = 0, rgba = 0;
    return glXGetConfig(display, &chosen, GLX_USE_GL, &usesGl) == 0 && usesGl &&
           glXGetConfig(display, &chosen, GLX_RGBA, &rgba) == 0 && rgba;
}

static void CreateOwnWindow(DrawTarget& target) {
    Display* display = target.display;
    Window root = RootWindow(display, target.visual.screen);
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(display, root, target.visual.visual, AllocNone);
    attributes.background_pixel = BlackPixel(display, target.visual.screen);
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | StructureNotifyMask | ExposureMask;
    target.width = 800;
    target.height = 600;
    target.window =
        XCreateWindow(display, root, 0, 0, (unsigned)target.width, (unsigned)target.height, 0,
                      target.visual.depth, InputOutput, target.visual.visual,
                      CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XStoreName(display, target.window, "Hanging Mobile");
    XClassHint hint = {(char*)"hangingmobile", (char*)"HangingMobile"};
    XSetClassHint(display, target.window, &hint);
    target.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, target.window, &target.deleteWindow, 1);
    XMapWindow(display, target.window);
}

bool OpenDrawTarget(DrawTarget& target, const HackOptions& options) {
    target = DrawTarget{};
    target.display = XOpenDisplay(nullptr);
    if (!target.display) {
        fprintf(stderr, "hangingmobile: cannot open the X display %s\n", XDisplayName(nullptr));
        return false;
    }
    Display* display = target.display;
    XSetErrorHandler(NoteXError);
    int errorBase, eventBase;
    if (!glXQueryExtension(display, &errorBase, &eventBase)) {
        fprintf(stderr, "hangingmobile: the X display %s has no OpenGL (GLX)\n",
                DisplayString(display));
        return false;
    }

    if (options.where == DrawInOwnWindow) {
        target.ownWindow = true;
        if (!ChooseOwnVisual(display, target.visual)) {
            fprintf(stderr, "hangingmobile: no OpenGL visual with depth and double buffer\n");
            return false;
        }
        CreateOwnWindow(target);
    } else {
        target.window =
            options.where == DrawOnRoot ? DefaultRootWindow(display) : (Window)options.windowId;
        XWindowAttributes attributes;
        lastErrorCode = 0;
        Status got = XGetWindowAttributes(display, target.window, &attributes);
        XSync(display, False);
        if (!got || lastErrorCode != 0) {
            fprintf(stderr, "hangingmobile: 0x%lx is no window on %s\n", target.window,
                    DisplayString(display));
            return false;
        }
        if (!WindowVisual(display, attributes, target.visual)) {
            fprintf(stderr, "hangingmobile: OpenGL cannot draw in window 0x%lx (its visual)\n",
                    target.window);
            return false;
        }
        target.width = attributes.width;
        target.height = attributes.height;
        // Size changes only: the keys and the mouse belong to XScreenSaver.
        XSelectInput(display, target.window, StructureNotifyMask);
    }
    int doubleBuffer = 0;
    glXGetConfig(display, &target.visual, GLX_DOUBLEBUFFER, &doubleBuffer);
    target.doubleBuffered = doubleBuffer != 0;
    return true;
}

void CloseDrawTarget(DrawTarget& target) {
    if (!target.display)
        return;
    if (target.ownWindow && target.window && !drawTargetGone)
        XDestroyWindow(target.display, target.window);
    XCloseDisplay(target.display);
    target = DrawTarget{};
}
