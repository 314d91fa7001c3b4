// Where the frames go: the X connection and the window, which is either one
// of our own or one that XScreenSaver (or the user) hands us.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "x11/options.h"

struct DrawTarget {
    Display* display;
    Window window;
    bool ownWindow; // ours to create, close and read keys in
    XVisualInfo visual;
    bool doubleBuffered;
    int width;
    int height;
    Atom deleteWindow; // the window manager's close request, own window only
    // Whether anyone can see the window: it is viewable (mapped, and so are
    // its ancestors) and not wholly covered. The root always is; the others
    // follow MapNotify, UnmapNotify and VisibilityNotify, and each frame's
    // look at the window.
    bool mapped;
    bool obscured;
};

inline bool TargetVisible(const DrawTarget& target) {
    return target.mapped && !target.obscured;
}

// Opens the display and finds or creates the window, with a visual that
// OpenGL can draw in. On failure prints one line on standard error and
// returns false.
bool OpenDrawTarget(DrawTarget& target, const HackOptions& options);

void CloseDrawTarget(DrawTarget& target);

// Reads the window's size and whether it is viewable as the X server has
// them now: OpenGL sizes its buffers to that at the next frame, the
// ConfigureNotify that tells of a resize may not have come yet, and no
// event at all tells of an ancestor unmapped. False when the window is gone.
bool ReadTargetState(DrawTarget& target);

// Set once the X server has told us our window is gone (destroyed by
// whoever owned it); the program then ends quietly.
extern bool drawTargetGone;

// Set, after one line on standard error, once the connection to the X
// server is broken; the program then ends with status 1.
extern bool displayLost;
