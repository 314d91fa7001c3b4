// hangingmobile: the hanging mobile on X11, as an XScreenSaver hack (in the
// window XSCREENSAVER_WINDOW names, a given window or the root) or in a
// window of its own for watching a description while it is written.
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "mobile/description_file.h"
#include "linux/frame_clock.h"
#include "x11/hack.h"
#include "linux/keys.h"
#include "linux/stop_signals.h"

namespace {

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
    return !drawTargetGone && !displayLost;
}

// Sleeps until `deadline` (never, when negative), until the X server has
// something for us or until a stop signal comes.
void WaitUntil(Display* display, long long deadline) {
    if (XEventsQueued(display, QueuedAlready) > 0)
        return; // read already, while the last frame was swapped
    pollfd wakes[] = {{ConnectionNumber(display), POLLIN, 0}, {StopWakeDescriptor(), POLLIN, 0}};
    timespec timeout = {0, 0};
    if (deadline >= 0) {
        long long left = deadline - NowMicroseconds();
        if (left > 0)
            timeout = {(time_t)(left / 1000000), (long)(left % 1000000) * 1000};
    }
    if (!stopRequested)
        ppoll(wakes, 2, deadline < 0 ? nullptr : &timeout, nullptr);
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
    if (options.common.help) {
        PrintUsage(stdout);
        return 0;
    }
    char giveUpLine[512];
    snprintf(giveUpLine, sizeof giveUpLine,
             "hangingmobile: gave up starting on the X display %s after %u s\n",
             OneLine(XDisplayName(nullptr)).c_str(), kStartSeconds);
    CatchStopSignals(giveUpLine);
    Hack hack;
    HackStart start = InitHack(hack, options);
    if (start != HackRuns) {
        FreeHack(hack);
        return start == HackEnds ? 0 : 1;
    }

    FrameClock frames = StartFrameClock(options.common.delayMicroseconds);
    long long nextWatch = frames.next + kWatchMicroseconds;
    while (!stopRequested && HandleEvents(hack)) {
        long long now = NowMicroseconds();
        if (options.common.watch && now >= nextWatch) {
            if (ReloadChangedDescription(hack.source, hack.mobile)) {
                hack.projection.known = false; // its own perspective
                hack.cutSaid = false;          // a new mobile, said of anew
            }
            nextWatch = now + kWatchMicroseconds;
        }
        if (!TargetVisible(hack.target)) {
            // Nobody can see a frame: none is drawn, and it sleeps until the
            // X server says something (or the watched file is due).
            WaitUntil(hack.target.display, options.common.watch ? nextWatch : -1);
            frames.next = NowMicroseconds(); // shown again: a frame at once
            continue;
        }
        if (now < frames.next) {
            WaitUntil(hack.target.display,
                      options.common.watch && nextWatch < frames.next ? nextWatch : frames.next);
            continue;
        }
        DrawHack(hack);
        AdvanceFrameClock(frames, now);
    }
    FreeHack(hack);
    return displayLost ? 1 : 0;
}
