// hangingmobile: the hanging mobile on X11, as an XScreenSaver hack (in the
// window XSCREENSAVER_WINDOW names, a given window or the root) or in a
// window of its own for watching a description while it is written.
#include <X11/Xlib.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "x11/hack.h"
#include "x11/keys.h"

namespace {

// How often a watched description is looked at.
const long kWatchMicroseconds = 250000;

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

// Sleeps until `deadline` or until the X server has something for us.
void WaitUntil(Display* display, long long deadline) {
    long long left = deadline - NowMicroseconds();
    if (left <= 0)
        return;
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    timespec timeout = {(time_t)(left / 1000000), (long)(left % 1000000) * 1000};
    ppoll(&connection, 1, &timeout, nullptr);
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
    Hack hack;
    if (!InitHack(hack, options)) {
        FreeHack(hack);
        return 1;
    }

    // The first frame at once, then one every delay. A frame that comes late
    // is not made up for with a burst: the next one is a whole delay later.
    long long nextFrame = NowMicroseconds();
    long long nextWatch = nextFrame + kWatchMicroseconds;
    while (HandleEvents(hack)) {
        long long now = NowMicroseconds();
        if (options.watch && now >= nextWatch) {
            if (ReloadChangedDescription(hack.source, hack.mobile))
                hack.projectedWidth = 0; // its own perspective
            nextWatch = now + kWatchMicroseconds;
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
    }
    FreeHack(hack);
    return 0;
}
