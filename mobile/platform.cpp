#include "mobile/platform.h"

#include <stdlib.h>
#include <string.h>

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

void DebugOutputLine(const char* text) {
    // Most lines are short; a longer one gets a buffer of its own.
    char local[256];
    size_t length = strlen(text);
    char* line = local;
    if (length + 3 > sizeof local) {
        line = (char*)malloc(length + 3);
        if (!line) {
            DebugOutput(text);
            DebugOutput("\r\n");
            return;
        }
    }
    memcpy(line, text, length);
    memcpy(line + length, "\r\n", 3);
    DebugOutput(line);
    if (line != local)
        free(line);
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
