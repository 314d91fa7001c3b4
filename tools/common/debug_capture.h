// Catches what the core writes to the system debug output, for the tests and
// the author's checker. Natively it installs the core's debug sink; on
// Windows the real OutputDebugStringA runs and is caught on its way out: it
// raises DBG_PRINTEXCEPTION_C, which a vectored handler sees first.
#pragma once

#include "mobile/platform.h"

// From now on every debug output text goes to `sink` (and nowhere else).
void StartDebugCapture(DebugSink sink, void* context);

// Lets debug output go to its usual place again.
void StopDebugCapture();
