// --fps: the frame rate over the last second and the process's CPU load,
// written in the lower-left corner as XScreenSaver's hacks write theirs,
// with an X font turned into display lists by GLX.
#pragma once

#include <GL/glx.h>

struct FpsMeter {
    XFontStruct* font;     // null while off
    GLuint lists;          // one display list per character from ' ' to '~'
    long long periodStart; // microseconds, monotonic
    long long cpuAtStart;  // microseconds of CPU, every thread of the process
    int frames;            // drawn since periodStart
    char lines[2][32];     // what is shown, bottom line last
};

// Loads the font into the current context. False, after one line on
// standard error, when the display has no font at all.
bool StartFps(FpsMeter& meter, Display* display);

// Counts the frame and writes the figures over it; the context's state is
// left as it was. Called just before the buffers are swapped.
void DrawFps(FpsMeter& meter, int width, int height);

// While the context is still current.
void StopFps(FpsMeter& meter, Display* display);
