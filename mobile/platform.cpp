#include "mobile/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdio.h>
#include <time.h>
#endif

static bool testClockSet = false;
static uint32_t testClockNow = 0;

void SetTestClock(uint32_t now) {
    testClockSet = true;
    testClockNow = now;
}

void ClearTestClock() {
    testClockSet = false;
}

#ifdef _WIN32

void DebugOutput(const char* text) {
    OutputDebugStringA(text);
}

uint32_t TickCount() {
    return testClockSet ? testClockNow : GetTickCount();
}

#else

void DebugOutput(const char* text) {
    fputs(text, stderr);
}

uint32_t TickCount() {
    if (testClockSet)
        return testClockNow;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)((uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u);
}

#endif
