// The hack itself, in XScreenSaver's shape: init, draw, reshape, free.
// Resource -> parser -> Mobile -> dynamics -> renderer -> window, one way.
#pragma once

#include <GL/glx.h>

#include "mobile/mobile.h"
#include "x11/description.h"
#include "x11/options.h"
#include "x11/window.h"

struct Hack {
    DrawTarget target;
    GLXContext context;
    DescriptionSource source;
    Mobile mobile;
    int32_t latitude;   // camera elevation, degrees
    int32_t longitude;  // camera azimuth, degrees
    int projectedWidth; // the size the projection was last set for
    int projectedHeight;
};

// Opens the window and the context and reads the description, whose parse
// starts the motion's clock. False, after one line on standard error, when
// any of them fails (with --watch an unreadable file is no failure: the
// program waits for it).
bool InitHack(Hack& hack, const HackOptions& options);

// Sets the viewport and projection when the window's size has changed
// since they were last set.
void ReshapeHack(Hack& hack);

// One frame: the angles for now, then the whole picture and the swap.
void DrawHack(Hack& hack);

void FreeHack(Hack& hack);
