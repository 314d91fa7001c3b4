// hangingmobile-wayland: the hanging mobile on Wayland, in a window of its
// own, or as a screen saver full screen on every output: at once (--saver,
// for swayidle and the like) or whenever the user is idle (--idle).
#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>

#include "linux/frame_clock.h"
#include "linux/stop_signals.h"
#include "wayland/client.h"

namespace {

// Sleeps until `deadline` (never, when negative), until the compositor has
// something for us or until a stop signal comes, then handles what came.
// False when the compositor is gone.
bool WaitAndDispatch(Client& client, long long deadline) {
    wl_display* display = client.display;
    while (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    }
    // A full socket is flushed at the next turn; a broken one says so below.
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return false;
    }
    pollfd wakes[] = {{wl_display_get_fd(display), POLLIN, 0}, {StopWakeDescriptor(), POLLIN, 0}};
    int timeout = -1;
    if (deadline >= 0) {
        long long left = deadline - NowMicroseconds();
        timeout = left > 0 ? (int)((left + 999) / 1000) : 0;
    }
    int ready = stopRequested ? 0 : poll(wakes, 2, timeout);
    if (ready > 0 && (wakes[0].revents & (POLLIN | POLLHUP | POLLERR))) {
        if (wl_display_read_events(display) < 0)
            return false;
    } else {
        wl_display_cancel_read(display);
    }
    return wl_display_dispatch_pending(display) >= 0;
}

// Shows or hides the full-screen surfaces as the mode wants them now.
void FollowMode(Client& client) {
    const WaylandOptions& options = *client.options;
    if (client.endingInput && options.verbose)
        Say("ends full screen at %s", client.endingInput);
    if (options.mode == ModeSaver) {
        client.ending = client.endingInput != nullptr;
        return;
    }
    if (options.mode != ModeIdle)
        return;
    if (client.fullScreen && (client.endingInput || !client.idle)) {
        HideFullScreen(client);
        client.idle = false; // until the compositor says so again
        if (options.verbose)
            Say("hides, and waits for %ld s without input", options.idleSeconds);
    } else if (!client.fullScreen && client.idle) {
        ShowFullScreen(client);
        if (options.verbose)
            Say("idle: shows itself");
    }
    client.endingInput = nullptr;
}

void Free(Client& client) {
    for (auto& surface : client.surfaces)
        DestroySurface(client, *surface);
    client.surfaces.clear();
    StopEgl(client);
    Disconnect(client);
    FreeMobile(client.mobile);
}

} // namespace

int main(int argc, char** argv) {
    WaylandOptions options;
    char error[256];
    if (!ReadWaylandOptions(argc, argv, options, error, sizeof error)) {
        fprintf(stderr, "hangingmobile-wayland: %s\n", error);
        PrintWaylandUsage(stderr);
        return 1;
    }
    if (options.common.help) {
        PrintWaylandUsage(stdout);
        return 0;
    }
    char giveUpLine[128];
    snprintf(giveUpLine, sizeof giveUpLine,
             "hangingmobile-wayland: gave up starting on the Wayland compositor after %u s\n",
             kStartSeconds);
    CatchStopSignals(giveUpLine);
    Client client = {};
    client.options = &options;
    client.latitude = options.common.latitude;
    client.longitude = options.common.longitude;
    client.source.program = "hangingmobile-wayland";
    client.source.path = options.common.description;
    client.egl = EGL_NO_DISPLAY;
    if (!Connect(client) || !StartEgl(client)) {
        Free(client);
        return 1;
    }
    StopBetweenFrames();
    bool loaded = LoadDescription(client.source, client.mobile) || options.common.watch;
    if (!loaded || stopRequested) {
        Free(client);
        return loaded ? 0 : 1;
    }
    if (options.mode == ModeWindow) {
        OpenWindow(client);
    } else if (options.mode == ModeSaver) {
        ShowFullScreen(client);
    } else {
        const char* protocol = WatchIdle(client);
        if (options.verbose)
            Say("waits for %ld s without input (%s)", options.idleSeconds, protocol);
    }

    FrameClock frames = StartFrameClock(options.common.delayMicroseconds);
    long long nextWatch = frames.next + kWatchMicroseconds;
    bool lost = false;
    while (!stopRequested && !client.ending) {
        long long now = NowMicroseconds();
        if (options.common.watch && now >= nextWatch) {
            if (ReloadChangedDescription(client.source, client.mobile)) {
                for (auto& surface : client.surfaces)
                    surface->projection.known = false; // its own perspective
                client.cutSaid = false;
            }
            nextWatch = now + kWatchMicroseconds;
        }
        // The clock moves on with the frames drawn: a surface configured
        // after the frame was due (the first) gets its frame at once.
        if (now >= frames.next && DrawFrames(client))
            AdvanceFrameClock(frames, now);
        // No surface may have a frame (hidden, or none up): it sleeps until
        // the compositor calls back, and the next frame then comes at once.
        long long deadline = AnySurfaceReady(client) ? frames.next : -1;
        if (options.common.watch && (deadline < 0 || nextWatch < deadline))
            deadline = nextWatch;
        bool readyBefore = deadline >= 0 && deadline == frames.next;
        if (!WaitAndDispatch(client, deadline)) {
            lost = true;
            break;
        }
        if (!readyBefore && AnySurfaceReady(client) && frames.next < NowMicroseconds())
            frames.next = NowMicroseconds();
        DropClosedSurfaces(client);
        FollowMode(client);
    }
    if (lost) {
        int code = wl_display_get_error(client.display);
        Say("lost the Wayland compositor (%s)", strerror(code ? code : EPIPE));
    }
    Free(client);
    return lost ? 1 : 0;
}
