// The two system services the portable core needs: the debug output that
// carries the saver's parser messages, and the millisecond tick count that
// clocks the motion. On Windows they are OutputDebugStringA and
// GetTickCount; the native build stands in for both. Tests and tools can set
// the clock in either build.
#pragma once

#include <stdint.h>

// Sends one text to the system debug output (OutputDebugStringA on Windows,
// standard error natively).
void DebugOutput(const char* text);

// Sends `text` followed by CR LF as one debug output, so that a reader that
// takes one output call as one line never sees the text torn from its line
// end. Without memory for a long line, the line end follows in a call of
// its own.
void DebugOutputLine(const char* text);

// Milliseconds since some fixed moment, wrapping at 2^32 (GetTickCount on
// Windows), unless a test clock is set.
uint32_t TickCount();

// Test clock: while set, TickCount returns exactly `now`.
void SetTestClock(uint32_t now);
void ClearTestClock();
