// The host's debug trace: one line per notable event, to a destination fixed
// when the program is built (nowhere in the shipped build).
#pragma once

// Where the trace goes, from the build: "" (nowhere), "OutputDebugString"
// (the debugger output), or a file path to append to.
extern const char traceDestination[];

// Writes one line (given without its line end). Never fails towards the caller.
void Trace(const char* text);

// The system's text for the calling thread's last error, its line end
// included, into `text` (cut to `size` - 1 characters; empty when the system
// has none). Returns `text`, so that it can stand in an expression.
char* LastErrorText(char* text, unsigned size);
