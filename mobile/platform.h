// The two system services the portable core needs: the debug output that
// carries the parser's messages, and the millisecond tick count that clocks
// the motion. On Windows they are OutputDebugStringA and GetTickCount; the
// native build stands in for both. Tests and tools can capture the output
// and set the clock in either build.
#pragma once

#include <stdint.h>

// Sends one text to the system debug output (OutputDebugStringA on Windows;
// natively to the installed sink, else standard error).
void DebugOutput(const char* text);

// Milliseconds since some fixed moment, wrapping at 2^32 (GetTickCount on
// Windows), unless a test clock is set.
uint32_t TickCount();

// Test clock: while set, TickCount returns exactly `now`.
void SetTestClock(uint32_t now);
void ClearTestClock();

// Native builds only: where DebugOutput goes instead of standard error
// (null restores that). On Windows the real OutputDebugStringA is always
// called; tests there capture it with a vectored exception handler.
typedef void (*DebugSink)(const char* text, void* context);
void SetDebugSink(DebugSink sink, void* context);

// The 1-based number of the description line being parsed, 0 outside any
// line. The parser keeps it current so that a debug sink (the author's
// checker) can say where a message came from.
extern uint32_t reportLine;
