// The parser's only way of complaining: one fixed line on the system debug
// output, never a result and never an early stop.
#pragma once

// Does nothing when `condition` holds; otherwise writes `message` followed
// by CR LF to the debug output, in one piece, so that a reader that takes
// one output call as one line never sees the text torn from its line end.
void CheckOrReport(bool condition, const char* message);
