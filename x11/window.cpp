#include "x11/window.h"

#include <GL/glx.h>
#include <stdio.h>
#include <unistd.h>

#include "mobile/description_file.h"
#include "linux/stop_signals.h"

bool drawTargetGone = false;
bool displayLost = false;

// Errors arrive asynchronously; the handler notes them so that a bad window
// id becomes a message and an exit, never Xlib's default abort.
static int lastErrorCode = 0;

static int NoteXError(Display*, XErrorEvent* event) {
    lastErrorCode = event->error_code;
    if (event->error_code == BadWindow || event->error_code == BadDrawable)
        drawTargetGone = true;
    return 0;
}

// The connection broken (the X server gone): Xlib's own handler would print
// its line and exit at once, in the middle of whatever call found it out.
// This one says so and returns; every Xlib call after it returns at once,
// and the program ends at the end of its frame, releasing what it holds.
static int QuietIoError(Display*) {
    return 0;
}

static void NoteDisplayLost(Display* display, void*) {
    if (!displayLost)
        fprintf(stderr, "hangingmobile: lost the X display %s\n",
                OneLine(DisplayString(display)).c_str());
    displayLost = true;
    if (StillStarting())
        _exit(1); // nothing to release yet
}

// The visual `id` on the screen, if OpenGL can draw with it in RGBA.
static bool GlVisual(Display* display, VisualID id, XVisualInfo& chosen) {
    XVisualInfo wanted = {};
    wanted.visualid = id;
    wanted.screen = DefaultScreen(display);
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
    if (!found)
        return false;
    chosen = found[0];
    XFree(found);
    int usesGl = 0, rgba = 0;
    return glXGetConfig(display, &chosen, GLX_USE_GL, &usesGl) == 0 && usesGl &&
           glXGetConfig(display, &chosen, GLX_RGBA, &rgba) == 0 && rgba;
}

// The visual --visual asks for; with `best`, one with these wishes.
static bool ChooseOwnVisual(Display* display, const HackOptions& options, XVisualInfo& chosen) {
    if (options.visual == VisualDefault) {
        VisualID id = XVisualIDFromVisual(DefaultVisual(display, DefaultScreen(display)));
        if (GlVisual(display, id, chosen))
            return true;
        fprintf(stderr, "hangingmobile: OpenGL cannot draw with the default visual 0x%lx\n", id);
        return false;
    }
    if (options.visual == VisualById) {
        if (GlVisual(display, options.visualId, chosen))
            return true;
        fprintf(stderr, "hangingmobile: OpenGL cannot draw with visual 0x%lx\n", options.visualId);
        return false;
    }
    int wishes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1,   GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE,
                    1,        GLX_DEPTH_SIZE,   16,           None};
    XVisualInfo* found = glXChooseVisual(display, DefaultScreen(display), wishes);
    if (!found) {
        fprintf(stderr, "hangingmobile: no OpenGL visual with depth and double buffer\n");
        return false;
    }
    chosen = *found;
    XFree(found);
    return true;
}

static void CreateOwnWindow(DrawTarget& target) {
    Display* display = target.display;
    Window root = RootWindow(display, target.visual.screen);
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(display, root, target.visual.visual, AllocNone);
    attributes.background_pixel = BlackPixel(display, target.visual.screen);
    attributes.border_pixel = 0;
    attributes.event_mask =
        KeyPressMask | StructureNotifyMask | ExposureMask | VisibilityChangeMask;
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
        fprintf(stderr, "hangingmobile: cannot open the X display %s\n",
                OneLine(XDisplayName(nullptr)).c_str());
        return false;
    }
    Display* display = target.display;
    XSetErrorHandler(NoteXError);
    XSetIOErrorHandler(QuietIoError);
    XSetIOErrorExitHandler(display, NoteDisplayLost, nullptr);
    int errorBase, eventBase;
    if (!glXQueryExtension(display, &errorBase, &eventBase)) {
        fprintf(stderr, "hangingmobile: the X display %s has no OpenGL (GLX)\n",
                OneLine(DisplayString(display)).c_str());
        return false;
    }

    if (options.sync)
        XSynchronize(display, True);

    if (options.where == DrawInOwnWindow) {
        target.ownWindow = true;
        if (!ChooseOwnVisual(display, options, target.visual))
            return false;
        CreateOwnWindow(target); // drawn in once its MapNotify comes
    } else {
        // A visual asked for must be one OpenGL can draw with, even though
        // a window made by someone else already has its own.
        XVisualInfo asked;
        if (options.visual != VisualBest && !ChooseOwnVisual(display, options, asked))
            return false;
        target.window =
            options.where == DrawOnRoot ? DefaultRootWindow(display) : (Window)options.windowId;
        XWindowAttributes attributes;
        lastErrorCode = 0;
        Status got = XGetWindowAttributes(display, target.window, &attributes);
        XSync(display, False);
        if (!got || lastErrorCode != 0) {
            fprintf(stderr, "hangingmobile: 0x%lx is no window on %s\n", target.window,
                    OneLine(DisplayString(display)).c_str());
            return false;
        }
        if (attributes.c_class == InputOnly) {
            fprintf(stderr, "hangingmobile: OpenGL cannot draw in window 0x%lx (it is InputOnly)\n",
                    target.window);
            return false;
        }
        int screen = XScreenNumberOfScreen(attributes.screen);
        if (screen != DefaultScreen(display)) {
            fprintf(stderr,
                    "hangingmobile: window 0x%lx is on screen %d, and the display %s names "
                    "screen %d\n",
                    target.window, screen, OneLine(DisplayString(display)).c_str(),
                    DefaultScreen(display));
            return false;
        }
        if (!GlVisual(display, XVisualIDFromVisual(attributes.visual), target.visual)) {
            fprintf(stderr, "hangingmobile: OpenGL cannot draw in window 0x%lx (its visual)\n",
                    target.window);
            return false;
        }
        target.width = attributes.width;
        target.height = attributes.height;
        // Mapped under an unmapped parent, it cannot be seen either.
        target.mapped = attributes.map_state == IsViewable;
        // Size and visibility only: the keys and the mouse belong to XScreenSaver.
        XSelectInput(display, target.window, StructureNotifyMask | VisibilityChangeMask);
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

bool ReadTargetState(DrawTarget& target) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(target.display, target.window, &attributes))
        return false;
    target.width = attributes.width;
    target.height = attributes.height;
    // No event tells a window that an ancestor was unmapped; this does.
    // Viewable again, it is told by a VisibilityNotify.
    target.mapped = attributes.map_state == IsViewable;
    return true;
}
