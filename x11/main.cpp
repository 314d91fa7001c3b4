// hangingmobile: the hanging mobile on X11, as an XScreenSaver hack (in the
// window XSCREENSAVER_WINDOW names, a given window or the root) or in a
// window of its own for watching a description while it is written.
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "x11/hack.h"
#include "x11/keys.h"

namespace {

// How often a watched description is looked at.
const long kWatchMicroseconds = 250000;

// SIGTERM (XScreenSaver ending its hack) and SIGINT stay blocked except
// while the program sleeps in ppoll, so that they end it between frames,
// with the context released and the connection closed, and never in the
// middle of a call into Xlib or OpenGL.
volatile sig_atomic_t stopRequested = 0;
sigset_t sleepingMask; // what is blocked while it sleeps: the rest as before

void NoteStop(int) {
    stopRequested = 1;
}

void CatchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = NoteStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigprocmask(SIG_BLOCK, &stops, &sleepingMask);
}

long long NowMicroseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

// Handles what the X server has sent. Returns false when the program is
// to end: its own window closed, or the window it was given destroyed.
bool HandleEvents(Hack& hack) {
    Display* display = hack.target.display;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
        case MapNotify:
            hack.target.mapped = true;
            break;
        case UnmapNotify:
            hack.target.mapped = false;
            break;
        case VisibilityNotify:
            // Only a viewable window is told its visibility.
            hack.target.mapped = true;
            hack.target.obscured = event.xvisibility.state == VisibilityFullyObscured;
            break;
        case ConfigureNotify:
            hack.target.width = event.xconfigure.width;
            hack.target.height = event.xconfigure.height;
            break;
        case DestroyNotify:
            drawTargetGone = true;
            break;
        case ClientMessage:
            if ((Atom)event.xclient.data.l[0] == hack.target.deleteWindow)
                return false;
            break;
        case KeyPress: {
            CameraKey key;
            KeyAction action = ActionOfKey(XLookupKeysym(&event.xkey, 0), key);
            if (action == KeyCloses)
                return false;
            if (action == KeyTurnsCamera)
                TurnCamera(hack.latitude, hack.longitude, key);
            break;
        }
        }
    }
    return !drawTargetGone;
}

// Sleeps until `deadline` (never, when negative), until the X server has
// something for us or until a stop signal comes. A deadline already past
// still looks for a pending signal.
void WaitUntil(Display* display, long long deadline) {
    if (XEventsQueued(display, QueuedAlready) > 0)
        return; // read already, while the last frame was swapped
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    timespec timeout = {0, 0};
    if (deadline >= 0) {
        long long left = deadline - NowMicroseconds();
        if (left > 0)
            timeout = {(time_t)(left / 1000000), (long)(left % 1000000) * 1000};
    }
    ppoll(&connection, 1, deadline < 0 ? nullptr : &timeout, &sleepingMask);
}

} // namespace

int main(int argc, char** argv) {
    HackOptions options;
    char error[256];
    if (!ReadHackOptions(argc, argv, getenv("XSCREENSAVER_WINDOW"), options, error, sizeof error)) {
        fprintf(stderr, "hangingmobile: %s\n", error);
        PrintUsage(stderr);
        return 1;
    }
    if (options.help) {
        PrintUsage(stdout);
        return 0;
    }
    CatchStopSignals();
    Hack hack;
    if (!InitHack(hack, options)) {
        FreeHack(hack);
        return 1;
    }

    // The first frame at once, then one every delay. A frame that comes late
    // is not made up for with a burst: the next one is a whole delay later.
    long long nextFrame = NowMicroseconds();
    long long nextWatch = nextFrame + kWatchMicroseconds;
    while (!stopRequested && HandleEvents(hack)) {
        long long now = NowMicroseconds();
        if (options.watch && now >= nextWatch) {
            if (ReloadChangedDescription(hack.source, hack.mobile))
                hack.projection.known = false; // its own perspective
            nextWatch = now + kWatchMicroseconds;
        }
        if (!TargetVisible(hack.target)) {
            // Nobody can see a frame: none is drawn, and it sleeps until the
            // X server says something (or the watched file is due).
            WaitUntil(hack.target.display, options.watch ? nextWatch : -1);
            nextFrame = NowMicroseconds(); // shown again: a frame at once
            continue;
        }
        if (now < nextFrame) {
            WaitUntil(hack.target.display,
                      options.watch && nextWatch < nextFrame ? nextWatch : nextFrame);
            continue;
        }
        DrawHack(hack);
        nextFrame += options.delayMicroseconds;
        if (nextFrame < now)
            nextFrame = now + options.delayMicroseconds;
        WaitUntil(hack.target.display, 0); // a stop signal, even at --delay 0
    }
    FreeHack(hack);
    return 0;
}
