// How the parser complains: one fixed line per fault, never a result and
// never an early stop. The saver writes it to the system debug output; the
// author's tools and the other hosts take each message with its line number.
#pragma once

#include <stdint.h>

// Receives one message, without a line end, and the 1-based number of the
// description line it is about (0 for the text as a whole, at its end).
typedef void (*ParserReport)(const char* message, uint32_t line, void* context);

// Does nothing when `condition` holds; otherwise writes `message` as one
// line to the debug output (DebugOutputLine).
void CheckOrReport(bool condition, const char* message);

// The saver's report: CheckOrReport's line on the debug output.
void ReportToDebugOutput(const char* message, uint32_t line, void* context);
