#include "linux/frame_clock.h"

#include <time.h>

long long NowMicroseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

FrameClock StartFrameClock(long delayMicroseconds) {
    return FrameClock{NowMicroseconds(), delayMicroseconds};
}

void AdvanceFrameClock(FrameClock& clock, long long now) {
    clock.next += clock.delay;
    if (clock.next < now)
        clock.next = now + clock.delay;
}
