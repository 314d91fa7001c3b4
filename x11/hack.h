// The hack itself, in XScreenSaver's shape: init, draw, reshape, free.
// Resource -> parser -> Mobile -> dynamics -> renderer -> window, one way.
#pragma once

#include <GL/glx.h>

#include "mobile/mobile.h"
#include "scene/view.h"
#include "linux/description.h"
#include "x11/fps.h"
#include "x11/options.h"
#include "x11/window.h"

struct Hack {
    DrawTarget target;
    GLXContext context;
    DescriptionSource source;
    Mobile mobile;
    int32_t latitude;          // camera elevation, degrees
    int32_t longitude;         // camera azimuth, degrees
    ViewProjection projection; // the size it was last set for
    int largestWidth;          // what the OpenGL implementation can draw into
    int largestHeight;
    bool tooLargeSaid; // the window's size was said to be beyond that
    bool cutSaid;      // this mobile was said to be too costly to draw whole
    FpsMeter fps;
};

enum HackStart {
    HackRuns,
    HackFails, // status 1
    HackEnds,  // status 0: stopped by a signal, or the window gone as it started
};

// Opens the window and the context and reads the description, whose parse
// starts the motion's clock. HackFails, after one line on standard error,
// when any of them fails (with --watch an unreadable file is no failure:
// the program waits for it).
HackStart InitHack(Hack& hack, const HackOptions& options);

// Sets the viewport and projection when the window's size has changed
// since they were last set.
void ReshapeHack(Hack& hack);

// One frame: the angles for now, then the whole picture and the swap. A
// window larger than OpenGL can draw into gets no frame (a rasteriser asked
// to would crash): that is said once, and frames come again once it is
// smaller.
void DrawHack(Hack& hack);

// Releases the context, its font and the window in every case, also when
// the window was destroyed under it.
void FreeHack(Hack& hack);
