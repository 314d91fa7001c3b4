// What the command line and XScreenSaver's environment ask of the program.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include "linux/option_table.h"

enum DrawWhere {
    DrawInOwnWindow,   // a window of its own, the viewer
    DrawInGivenWindow, // XSCREENSAVER_WINDOW or --window-id
    DrawOnRoot,        // --root
};

// Which visual our own window gets (XScreenSaver's -visual).
enum VisualWish {
    VisualBest,    // the one OpenGL chooses for our wishes (the default)
    VisualDefault, // the screen's default visual
    VisualById,    // the visual `visualId`
};

struct HackOptions {
    DrawWhere where;
    unsigned long windowId; // for DrawInGivenWindow
    CommonOptions common;   // the delay, the camera, the description and its watch, help
    bool fps;               // the frame rate and CPU load in the lower-left corner
    VisualWish visual;
    unsigned long visualId; // for VisualById
    bool sync;              // X requests one at a time, for debugging
};

// Reads argv (XScreenSaver's single-dash spellings as well as double-dash
// ones) and the value of XSCREENSAVER_WINDOW, which wins over any option
// when set. On a mistake returns false with a one-line reason in `error`.
bool ReadHackOptions(int argc, char** argv, const char* screensaverWindow, HackOptions& options,
                     char* error, size_t errorSize);

void PrintUsage(FILE* out);
