// The frame loop's rules, shared by the Linux hosts: the first frame at
// once, then one every delay; a frame that comes late is not made up for
// with a burst, the next one is a whole delay later. A watched description
// is looked at on a clock of its own.
#pragma once

// How often a watched description is looked at.
const long kWatchMicroseconds = 250000;

long long NowMicroseconds(); // the monotonic clock

struct FrameClock {
    long long next; // when the next frame is due
    long delay;     // between frames
};

// Due at once.
FrameClock StartFrameClock(long delayMicroseconds);

// After a frame drawn at `now`.
void AdvanceFrameClock(FrameClock& clock, long long now);
