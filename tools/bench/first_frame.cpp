// Time to the first presented frame: starts a program and watches the X
// screen until a band of it shows the frame's background colour, then prints
// the milliseconds since the start and the program's process id. The program
// is left running; the caller ends it.
//
//   first_frame [--band Y HEIGHT] [--colour R,G,B] [--timeout SECONDS] -- PROGRAM ARGS...
//
// A frame counts as presented once half the band has the colour (within 3
// per channel): both the saver and its floor clear to the description's
// background before drawing, and nothing else on the screen has it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "tools/bench/start_quietly.h"

namespace {

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

bool Near(unsigned long pixel, const int colour[3]) {
    int r = (int)(pixel >> 16 & 255), g = (int)(pixel >> 8 & 255), b = (int)(pixel & 255);
    return abs(r - colour[0]) <= 3 && abs(g - colour[1]) <= 3 && abs(b - colour[2]) <= 3;
}

} // namespace

int main(int argc, char** argv) {
    int bandY = -1, bandHeight = 32, colour[3] = {26, 26, 51};
    double timeout = 30;
    int i = 1;
    for (; i < argc && strcmp(argv[i], "--") != 0; i++) {
        if (!strcmp(argv[i], "--band") && i + 2 < argc) {
            bandY = atoi(argv[++i]);
            bandHeight = atoi(argv[++i]);
        } else if (!strcmp(argv[i], "--colour") && i + 1 < argc) {
            if (sscanf(argv[++i], "%d,%d,%d", &colour[0], &colour[1], &colour[2]) != 3)
                return 2;
        } else if (!strcmp(argv[i], "--timeout") && i + 1 < argc) {
            timeout = atof(argv[++i]);
        } else {
            fprintf(stderr, "first_frame: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (i + 1 >= argc) {
        fprintf(
            stderr,
            "usage: first_frame [--band Y H] [--colour R,G,B] [--timeout S] -- PROGRAM ARGS...\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        fprintf(stderr, "first_frame: no X display\n");
        return 2;
    }
    Window root = DefaultRootWindow(display);
    int width = DisplayWidth(display, DefaultScreen(display));
    int height = DisplayHeight(display, DefaultScreen(display));
    if (bandY < 0 || bandY + bandHeight > height || bandHeight <= 0)
        bandY = height - bandHeight;

    // Half the band in the colour: a frame is on the screen.
    auto showsFrame = [&] {
        XImage* image = XGetImage(display, root, 0, bandY, (unsigned)width, (unsigned)bandHeight,
                                  AllPlanes, ZPixmap);
        if (!image)
            return false;
        long matching = 0;
        for (int y = 0; y < bandHeight; y++) {
            for (int x = 0; x < width; x++)
                matching += Near(XGetPixel(image, x, y), colour);
        }
        XDestroyImage(image);
        return matching >= (long)width * bandHeight / 2;
    };
    // What an earlier program left must be gone first.
    for (double wait = Now(); showsFrame(); usleep(20000)) {
        if (Now() - wait > 5000) {
            fprintf(stderr, "first_frame: the screen shows the colour before the start\n");
            return 2;
        }
    }

    double start = Now();
    pid_t child = StartQuietly(argv + i + 1);
    if (child < 0)
        return 2;
    while (Now() - start < timeout * 1000) {
        double asked = Now(); // the moment the screen is read, near enough
        if (showsFrame()) {
            printf("%.1f %d\n", asked - start, (int)child);
            return 0;
        }
        usleep(2000);
    }
    fprintf(stderr, "first_frame: no frame within %g s\n", timeout);
    printf("timeout %d\n", (int)child);
    return 1;
}
