// What the command line asks of the Wayland program.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "linux/option_table.h"

enum WaylandMode {
    ModeWindow, // a window of its own (the default)
    ModeSaver,  // at once, full screen on every output, until the first input
    ModeIdle,   // full screen on every output whenever the user is idle
};

struct WaylandOptions {
    WaylandMode mode;
    long idleSeconds;     // for ModeIdle
    CommonOptions common; // the delay, the camera, the description and its watch, help
    bool verbose;         // say when it has the keyboard and what it shows
};

// On a mistake returns false with a one-line reason in `error`.
bool ReadWaylandOptions(int argc, char** argv, WaylandOptions& options, char* error,
                        size_t errorSize);

void PrintWaylandUsage(FILE* out);
