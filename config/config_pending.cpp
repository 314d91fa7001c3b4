// Placeholders until the configuration sheet and the monitor control are
// written: the sheet says in the trace that it ran and does nothing.
#include "config/runners.h"
#include "host/trace.h"

void RunConfigSheet(HWND) { Trace("RunConfigSheet: not written yet"); }

LRESULT CALLBACK MonitorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}
