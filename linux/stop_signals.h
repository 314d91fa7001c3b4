// SIGTERM (XScreenSaver ending its hack) and SIGINT.
//
// While the program starts (connects to the display, which may never
// answer, and starts OpenGL) a stop signal ends it at once with status 0:
// nothing of it needs releasing yet, and none of those calls can be left
// otherwise. A start that takes longer than kStartSeconds is given up.
//
// Once started, a stop signal is noted and the program ends between two
// frames (or two lines of a description being parsed), releasing its
// context. One that cannot get there within kStopGraceSeconds (an X server
// that stopped answering, a standard error nobody reads) ends at once, with
// status 0 still.
#pragma once

#include <signal.h>

// A display that has not let the program start in this time never will.
const unsigned kStartSeconds = 20;
const unsigned kStopGraceSeconds = 1;

extern volatile sig_atomic_t stopRequested;

// Installs the handlers; the start begins. `giveUpLine` (kept, not copied)
// is written to standard error if the start is given up, with status 1.
void CatchStopSignals(const char* giveUpLine);

// The start is over: from now on a stop is noted, not obeyed at once.
void StopBetweenFrames();
bool StillStarting();

// A descriptor that becomes readable once a stop was noted, for the sleep
// between frames to wake on.
int StopWakeDescriptor();
