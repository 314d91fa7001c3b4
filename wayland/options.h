// What the command line asks of the Wayland program.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

enum WaylandMode {
    ModeWindow, // a window of its own (the default)
    ModeSaver,  // at once, full screen on every output, until the first input
    ModeIdle,   // full screen on every output whenever the user is idle
};

struct WaylandOptions {
    WaylandMode mode;
    long idleSeconds;       // for ModeIdle
    long delayMicroseconds; // between frames
    int32_t latitude;       // camera start, already kept in range
    int32_t longitude;
    const char* description; // a file to show instead of the built-in mobile, or null
    bool watch;              // re-read the description whenever it changes
    bool verbose;            // say when it has the keyboard and what it shows
    bool help;
};

// On a mistake returns false with a one-line reason in `error`.
bool ReadWaylandOptions(int argc, char** argv, WaylandOptions& options, char* error,
                        size_t errorSize);

void PrintWaylandUsage(FILE* out);
